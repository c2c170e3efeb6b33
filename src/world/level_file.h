#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The most a level file is read: its 800,000 cells take 1.6 MB as the
// generator writes them and under 10 MB with every number at its longest;
// the rest is room for white space and comments.
constexpr std::size_t MaxLevelFileBytes = std::size_t{32} << 20;

// What a level file says, apart from its cells.
struct LevelFileData {
    std::string backgroundPath;  // "img 1"
    std::string overlayPath;     // "img 2"
    std::string extraImagePath;  // "img 3"
    std::string tile0Path;       // "tile 0"
    std::string tile1Path;       // "tile 1"
    bool hasLimit = false;       // a "limite" line with a number was read
    int32_t limit = 0;
};

// Parses the text of a level file. Keyword lines fill `data`; the cell
// section after "#Collisions" fills `grid` (GridCells entries, column-major),
// mapping the file's numbers 0..4 to cell codes and leaving cells whose
// number is outside 0..4 as they were. Pure: no I/O, no SDL.
void parseLevelText(std::string_view text, LevelFileData& data, int32_t* grid);
