#pragma once

// The world board's answers (JSON from the leaderboard server) read into
// plain data. Pure. Each parser takes the body as it came and returns false
// with a French reason for anything but a whole, sound answer: a body past
// MaxAnswerBytes, bad JSON, a missing or mistyped field, a number out of its
// range, more than MaxBoardEntries entries, a name the server itself would
// refuse. Nothing here throws, whatever the body.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr std::size_t MaxAnswerBytes = std::size_t{256} << 10;
constexpr std::size_t MaxBoardEntries = 100;
// Beyond any level count, rank or id the board will reach, and within what
// a JSON number keeps exactly.
constexpr int32_t MaxBoardLevel = 9999;
constexpr int64_t MaxBoardId = int64_t{1} << 52;

// POST /players
struct NewPlayer {
    int64_t player = 0;
    std::string name;
    std::string token;
};

// POST /attempts
struct AttemptTicket {
    int32_t level = 0;
    std::string ticket;
};

// POST /runs
struct RunVerdict {
    int32_t score = 0;
    int64_t rank = 0;
    int32_t best = 0;
    bool improved = false;
    int64_t run = 0;
};

// One line of a board.
struct BoardRow {
    int64_t rank = 0;
    int64_t player = 0;
    std::string name;  // plain text, as the server's name rule allows it
    int32_t score = 0;
    int32_t frames = 0;
    std::string at;  // "2027-01-31T18:04:00Z"
    int64_t run = 0;
    bool timed = false;
};

// GET /levels/N
struct LevelBoard {
    int32_t level = 0;
    std::string fingerprint;  // 16 hex digits
    int64_t players = 0;
    std::vector<BoardRow> top;
};

// GET /levels/N/top
struct BoardPage {
    int64_t total = 0;
    std::vector<BoardRow> entries;
};

// GET /levels/N/around/PLAYER
struct BoardAround {
    int64_t player = 0;
    int64_t rank = 0;
    int64_t total = 0;
    std::vector<BoardRow> entries;
};

bool parseNewPlayer(std::string_view body, NewPlayer& answer, std::string& reason);
bool parseAttemptTicket(std::string_view body, AttemptTicket& answer, std::string& reason);
bool parseRunVerdict(std::string_view body, RunVerdict& answer, std::string& reason);
bool parseLevelBoard(std::string_view body, LevelBoard& answer, std::string& reason);
bool parseBoardPage(std::string_view body, BoardPage& answer, std::string& reason);
bool parseBoardAround(std::string_view body, BoardAround& answer, std::string& reason);

// The server's own words from an error answer {"error": "..."}, cut to a
// line a screen can show and stripped of control characters; `fallback`
// when the body says nothing usable.
std::string errorMessageOf(std::string_view body, const std::string& fallback);

// The bodies of the requests, as JSON.
std::string newPlayerRequest(const std::string& name);
std::string attemptRequest(int32_t level);
std::string runRequest(int32_t level, const std::string& replay, const std::string& ticket);

// Tokens and tickets are sent back in headers and bodies and kept in files:
// printable ASCII without blanks or quotes, at most 512 characters.
bool isSafeSecret(std::string_view text);
