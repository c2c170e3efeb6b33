#pragma once

#include <cstdint>
#include <string>

#include "screens/replay_file.h"

// Reads the replay file of `levelIndex` and keeps it only if it replays: made
// on this very level file (`levelPath`), and reaching its stated score when
// its keys are played on it. False when there is no replay or it is set
// aside; a file that exists but is set aside is reported on the standard
// output. Never more than the replay's and the level's size limits are read.
bool loadReplay(int32_t levelIndex, const std::string& levelPath, ReplayData& replay);
