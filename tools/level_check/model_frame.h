#pragma once

#include <cstdint>

#include "actors/body.h"
#include "actors/play_frame.h"
#include "app/camera.h"

// What one frame of the play loop does to a model's hero: the bonuses and
// enemies it met (the frame's own point left out) and whether it fell out.
struct ModelStep {
    int32_t points = 0;
    bool fellOut = false;
};

// Frame `frame` of the play loop from `state` (any struct with the body's `y`
// and a HeroMotion `motion`, its key events applied), with the game's own code.
template <typename State>
ModelStep stepModelFrame(const int32_t* grid, int32_t frame, State& state) {
    Camera camera;
    camera.column = frame;
    Body body(const_cast<int32_t*>(grid), &camera);
    body.y = state.y;
    const int32_t points = playFrame(body, state.motion, grid) - 1;
    state.y = body.y;
    return ModelStep{points, body.fellOut != 0};
}
