#include "world/level_extent.h"

#include "world/cell_code.h"

int32_t groundEndColumn(const int32_t* grid) {
    for (int32_t column = GridColumns - 1; column >= 0; --column) {
        for (int32_t row = 0; row < VisibleRows; ++row) {
            if (isSolid(cellAt(grid, column, row))) {
                return column;
            }
        }
    }
    return -1;
}

int32_t levelFinishFrame(const int32_t* grid) {
    const int32_t frame = groundEndColumn(grid) - HeroScreenColumn;
    return frame > 1 ? frame : 1;
}

int32_t progressPercent(int32_t frames, int32_t finishFrame) {
    if (finishFrame < 1 || frames > finishFrame) {
        return 100;
    }
    if (frames <= 0) {
        return 0;
    }
    // Floored, so that 100 % is kept for a finished run.
    const int64_t percent = int64_t{frames} * 100 / (int64_t{finishFrame} + 1);
    return static_cast<int32_t>(percent);
}
