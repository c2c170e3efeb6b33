#pragma once

#include <cstdint>

// What a grid cell holds. The level file's numbers 0 to 4 map to these.
enum CellCode : int32_t {
    Empty = 0,
    Tile0 = 2,
    Bonus = 3,
    Enemy = 4,
    Tile1 = 5,
};

constexpr int32_t GridColumns = 10000;
constexpr int32_t GridRows = 80;
constexpr int32_t GridCells = GridColumns * GridRows;
constexpr int32_t CellSize = 10;
constexpr int32_t VisibleColumns = 72;
constexpr int32_t VisibleRows = 48;

// Index of the cell at (column, row), column-major; -1 outside the grid.
constexpr int32_t cellIndex(int32_t column, int32_t row) {
    if (column < 0 || column >= GridColumns || row < 0 || row >= GridRows) {
        return -1;
    }
    return column * GridRows + row;
}

// The cell at (column, row); everything outside the grid reads as Empty.
inline int32_t cellAt(const int32_t* grid, int32_t column, int32_t row) {
    const int32_t index = cellIndex(column, row);
    return index < 0 ? Empty : grid[index];
}

// Solid for the hero's body: anything but Empty and Bonus.
constexpr bool isSolid(int32_t cell) {
    return cell != Empty && cell != Bonus;
}
