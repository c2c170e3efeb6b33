#pragma once

#include <cstdint>
#include <string>

#include "screens/replay_file.h"

// Reads the replay file of `levelIndex` and keeps it only if it replays: the
// run of the record its records file holds, made on this very level file
// (`levelPath`), and reaching its stated score when its keys are played on it. False when there is
// no replay or it is set aside; a file that exists but is set aside is reported on the standard
// output. Never more than the replay's and the level's size limits are read.
// The record run of a slower pace is its own file (replayFileName).
bool loadReplay(int32_t levelIndex, const std::string& levelPath, ReplayData& replay,
                int32_t pace = FullPace);

// The same for a level file already read: its fingerprint and its grid as
// the file has it (nothing taken yet).
bool loadReplay(int32_t levelIndex, const std::string& levelPath, uint64_t levelFingerprint,
                const int32_t* grid, ReplayData& replay, int32_t pace = FullPace);

// A run from elsewhere (the world board's), kept in `replay` only when it
// replays as loadReplay requires: a whole replay, made on the very level
// file `levelPath` holds now, reaching its stated score. False with a French
// reason otherwise.
bool checkReplay(const std::string& text, const std::string& levelPath, ReplayData& replay,
                 std::string& reason);
// The same on a level already read: its fingerprint and its grid as the
// file has it.
bool checkReplay(const std::string& text, uint64_t levelFingerprint, const int32_t* grid,
                 ReplayData& replay, std::string& reason);
