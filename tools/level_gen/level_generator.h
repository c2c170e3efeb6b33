#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace levelgen {

// One building block of a level, as its seed file names it: "gap 2".
struct PlannedBlock {
    std::string name;
    int32_t difficulty = 1;  // 1 (gentle) to 5 (demanding)
};

// Where a block ended up in the grid, for overviews and the player model.
struct BlockSpan {
    std::string name;
    int32_t difficulty = 0;
    int32_t first = 0;  // columns, both included
    int32_t last = 0;
};

struct Settings {
    uint64_t seed = 1;
    int32_t number = 1;  // N of the Niveaux/niveau-N/ pictures the file names
    std::vector<PlannedBlock> blocks;
};

// What went into a level, for the generator's own report.
struct Summary {
    int32_t gaps = 0;
    int32_t platforms = 0;
    int32_t posts = 0;
    int32_t enemies = 0;
    int32_t bonuses = 0;
    int32_t lastColumn = 0;         // the last column with ground: the level ends past it
    std::vector<BlockSpan> blocks;  // the start and the end included
};

// The names of the building blocks a seed file may use.
const std::vector<std::string>& blockNames();

// The level's grid as cell codes (CellCode), GridCells cells, column-major:
// a calm start, the blocks in order, a calm end, and no ground after it, so
// the hero runs off the end and falls out. The same settings always give the
// same grid.
std::vector<int32_t> generateGrid(const Settings& settings, Summary* summary = nullptr);

}  // namespace levelgen
