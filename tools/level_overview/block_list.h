#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One building block of a level, as the generator lists them.
struct Block {
    std::string name;
    int32_t difficulty = 0;
    int32_t first = 0;  // first and last column, inclusive
    int32_t last = 0;
};

// A whole word that is a number from `low` to `high`.
bool parseWord(std::string_view word, int32_t& value, int32_t low, int32_t high);

// Reads "NAME DIFFICULTY FIRST LAST" lines, sorted by first column. Lines
// starting with '#' and blank lines are notes; any other line that does not
// fit is counted in `skipped` and left out, so a half-written file still
// labels what it can.
std::vector<Block> parseBlocks(std::string_view contents, int32_t& skipped);
