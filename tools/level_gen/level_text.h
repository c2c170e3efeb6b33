#pragma once

// The generator's texts: the seed file it reads, and the level file and the
// list of blocks it writes.

#include <string>
#include <vector>

#include "level_generator.h"

namespace levelgen {

// Reads a seed file: "seed S", "pictures N" and one block a line, "NAME
// DIFFICULTY" optionally followed by "xCOUNT" to repeat it; "#" starts a
// comment. False, with a message naming the line, on anything else.
bool parseSeedText(const std::string& text, Settings& settings, std::string& error);

// The whole level file for `grid`: keyword lines, "#Collisions" and the cells,
// 80 file numbers (0 empty, 1 Tile0, 2 Bonus, 3 Enemy, 4 Tile1) a line, one line
// a column. No "limite" line: the build appends it once the player model has
// played the level.
std::string levelFileText(const Settings& settings, const std::vector<int32_t>& grid);

// The blocks, one a line: "NAME DIFFICULTY FIRST LAST".
std::string blocksText(const Summary& summary);

}  // namespace levelgen
