#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace levelgen {

struct Settings {
    uint64_t seed = 1;
    int32_t difficulty = 1;  // 1 gentle, 2 medium, 3 demanding
    int32_t number = 1;      // N of the Niveaux/niveau-N/ pictures the file names
};

// What went into a level, for the generator's own report.
struct Summary {
    int32_t gaps = 0;
    int32_t platforms = 0;
    int32_t posts = 0;
    int32_t enemies = 0;
    int32_t bonuses = 0;
};

// The level's grid as cell codes (CellCode), GridCells cells, column-major.
// The same settings always give the same grid.
std::vector<int32_t> generateGrid(const Settings& settings, Summary* summary = nullptr);

// The whole level file for `grid`: keyword lines, "#Collisions" and the cells,
// 80 file numbers (0 empty, 1 Tile0, 2 Bonus, 3 Enemy, 4 Tile1) a line, one line
// a column. No "limite" line: the build appends it once the checker has found
// the best score.
std::string levelFileText(const Settings& settings, const std::vector<int32_t>& grid);

}  // namespace levelgen
