#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

constexpr const char* StoryFilePath = "Story/game.story";
constexpr const char* SavedGamePath = "Save/save.sv";
