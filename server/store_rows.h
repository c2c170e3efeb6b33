#pragma once

#include <cstdint>
#include <string>

// What the store keeps and gives back, whichever database holds it.

enum class StoreStatus { Ok, NotFound, Conflict, Failed };

struct PlayerRow {
    int64_t id = 0;
    std::string name;
};

// A run kept on a board: the player's best on one level file.
struct RunRow {
    int64_t id = 0;
    int64_t player = 0;
    int32_t level = 0;
    std::string fingerprint;  // the level file's, as the replay writes it
    int32_t score = 0;
    int32_t frames = 0;
    bool timed = false;  // it came back no sooner than its frames take
    int64_t at = 0;      // milliseconds since 1970, when it was accepted
    std::string replay;
};

struct BoardEntry {
    int64_t rank = 0;
    int64_t player = 0;
    std::string name;
    int32_t score = 0;
    int32_t frames = 0;
    int64_t at = 0;
    int64_t run = 0;
    bool timed = false;
};
