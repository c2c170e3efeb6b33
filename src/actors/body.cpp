#include "actors/body.h"

#include <limits>

#include "world/cell_code.h"

namespace {

// x / 10 + offset without overflow, whatever the camera holds.
int32_t cellOf(int32_t pixel, int32_t cameraOffset) {
    const int64_t cell = int64_t{pixel / CellSize} + cameraOffset;
    if (cell > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (cell < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(cell);
}

}  // namespace

Body::Body(int32_t* grid, const Camera* camera) : grid(grid), camera(camera) {}

bool Body::update() {
    // The cell is taken before the move: the play loop's bonus and enemy
    // check after the hero's update uses this very cell.
    gridColumn = cellOf(x, camera != nullptr ? camera->column : 0);
    gridRow = cellOf(y, camera != nullptr ? camera->row : 0);

    if (verticalSpeed > 0) {
        if (y > 500) {
            fellOut = 1;  // before the landing test, so a landing below 500 still counts
        }
        // Anything outside the grid reads as an empty cell.
        const int32_t below = (grid != nullptr && gridRow < GridRows)
                                  ? cellAt(grid, gridColumn, gridRow + 1)
                                  : int32_t{Empty};
        if (isSolid(below)) {
            return true;
        }
        y += verticalSpeed;
        return false;
    }
    if (verticalSpeed < 0) {
        // The ceiling is tested before the move, so a rise may end up to 9
        // pixels above it. A rise never looks at the cells.
        if (y > 50) {
            y += verticalSpeed;
        }
    }
    return false;
}
