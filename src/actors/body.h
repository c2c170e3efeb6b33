#pragma once

#include <cstdint>

#include "app/camera.h"

// The hero's vertical motion against the level's grid. It never moves
// sideways: the camera's column carries the scrolling into its cell lookup.
class Body {
  public:
    Body(int32_t* grid, const Camera* camera);

    // Moves the body by its speed unless it lands. True when it stands on a
    // solid cell (it was falling and the cell below it is solid).
    bool update();

    int32_t verticalSpeed = 0;  // pixels per frame, positive downward
    int32_t x = 310;
    int32_t y = 240;
    int32_t fellOut = 0;
    int32_t gridColumn = 0;
    int32_t gridRow = 0;
    int32_t* grid = nullptr;         // not owned
    const Camera* camera = nullptr;  // not owned
};
