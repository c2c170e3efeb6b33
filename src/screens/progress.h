#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// How far the player has got on each level, kept between runs in
// "Save/progres.txt": the attempts (levels played to their end at any pace)
// and the best share of the level a run reached, a line a level:
//
//   niveau 0 essais 12 meilleur 72
//
// Lines of levels the menus do not offer, and damaged lines, are passed over.
constexpr const char* ProgressPath = "Save/progres.txt";
constexpr int32_t ProgressLevels = 10;

struct LevelProgress {
    int32_t attempts = 0;
    int32_t bestPercent = 0;  // 0 to 100
};

using ProgressData = std::array<LevelProgress, ProgressLevels>;

// Pure.
ProgressData parseProgressText(std::string_view text);
std::string progressText(const ProgressData& progress);

// A missing or unreadable file is no attempt yet.
ProgressData readProgress();

// Counts an attempt of `levelIndex` that reached `percent`, on top of what
// the file holds now (another window may have played meanwhile), and writes
// the file atomically. `progress` is then what the file holds, or would hold
// had it been written; false when it could not be written.
bool countAttempt(int32_t levelIndex, int32_t percent, ProgressData& progress);
