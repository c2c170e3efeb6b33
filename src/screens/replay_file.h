#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "screens/settings.h"

// A level's record run, kept beside its records file so that it can be
// watched and raced: the jump key's presses and releases, each with the
// frame before which the hero heard it.
//
//   version 1
//   niveau 8c3f0a9e12d4b765
//   score 5123
//   images 4816
//   appui 1
//   relache 1
//   appui 212
//   relache 230
//
// "niveau" is the fingerprint (fingerprintOf) of the level file the run was played on; a run
// only replays on the very level it was made on.

constexpr int32_t ReplayVersion = 1;
// A run lasts at most as many frames as the level has columns, and a few
// to fall out; the limits leave room and stop a hostile file early.
constexpr int32_t MaxReplayFrames = 20000;
constexpr int32_t MaxReplayEvents = 40000;
constexpr std::size_t MaxReplayFileBytes = std::size_t{1} << 20;

struct ReplayEvent {
    int32_t frame = 0;  // heard before this frame (the first frame is 1)
    bool press = false;
};

struct ReplayData {
    uint64_t levelFingerprint = 0;
    int32_t score = 0;
    int32_t frames = 0;  // the frame in which the hero fell out
    std::vector<ReplayEvent> events;
};

// "Save/replay-" + the level index in decimal + ".rpl"; a slower pace's
// record run is "Save/replay-" + index + "-70.rpl".
std::string replayFileName(int32_t levelIndex, int32_t pace = FullPace);

// Adds an event the hero heard before frame `frame`, unless it is a repeat
// of the last one between the same two frames (which changes nothing).
// False, adding nothing, once the run holds MaxReplayEvents events.
bool addReplayEvent(std::vector<ReplayEvent>& events, int32_t frame, bool press);

std::string replayText(const ReplayData& replay);

// Parses a replay file's text. Pure. False, with a French reason in
// `reason`, for a text that is not a whole replay within the limits: the
// version must be ReplayVersion, every field present once and in range,
// events in frame order, none after the last frame, and no event repeating
// the one before it between the same two frames.
bool parseReplayText(std::string_view text, ReplayData& replay, std::string& reason);

// Replaces the replay file of `levelIndex` (atomically). False when it could
// not be written; the old file then stays.
bool writeReplayFile(int32_t levelIndex, const ReplayData& replay, int32_t pace = FullPace);
