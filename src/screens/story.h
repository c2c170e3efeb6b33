#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int MaxLevelFiles = 100;
// The playable levels until the saved game says otherwise.
constexpr int32_t InitialLevelCount = 2;

// The level file of each level index, in the order of the story file's
// accepted lines (at most 100). A line is accepted when its first word
// contains the decimal number of the index expected next and a path follows.
// Pure: no I/O.
std::vector<std::string> parseStoryText(std::string_view text);

// The saved-game file: one decimal integer, the number of playable levels.
// Reading sets `levelCount` and returns true when the text begins (after
// white space) with a 32-bit integer; otherwise `levelCount` keeps its value.
bool parseSavedGameText(std::string_view text, int32_t& levelCount);
// The saved-game file's contents for `levelCount`: the number and a line end.
std::string savedGameText(int32_t levelCount);

// The game never raises the saved level count itself, so a newer release
// with more levels does it for a player who already has a saved game: when
// the shipped saved game counts more levels than the player's (read as the
// game reads it, 2 when it holds no number), this gives the player's new
// contents and returns true. Records are files of their own and stay.
bool raisedSavedGameText(std::string_view kept, std::string_view shipped, std::string& raised);
// The same on the files: the player's "Save/save.sv" against `shippedCopy`.
void raiseSavedLevelCount(const std::string& shippedCopy);

constexpr const char* StoryFilePath = "Story/game.story";
constexpr const char* SavedGamePath = "Save/save.sv";
