#pragma once

#include <cstdint>

// Scroll state shared by the level and the hero's body. All four are zeroed
// at each start of a game; only `column` changes afterwards.
struct Camera {
    int32_t column = 0;   // grid column shown at the left edge
    int32_t row = 0;      // row offset added to the body's grid row
    int32_t offsetX = 0;  // pixels subtracted from every cell's screen x
    int32_t offsetY = 0;  // pixels subtracted from every cell's screen y
};
