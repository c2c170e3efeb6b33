#pragma once

#include <SDL/SDL.h>

#include <array>
#include <cstdint>
#include <string>

#include "gfx/animation_file.h"
#include "gfx/surface.h"

// A looping sequence of frames read from an animation file, advanced by
// `speed` each time it is drawn; it has no clock of its own.
class Animation {
  public:
    Animation(const std::string& path, double speed);

    // Advances the animation and blits the current frame at `position`.
    void draw();
    void loadFrames();
    // Chooses the frame the next draw shows (the first half of draw).
    void advance();

    SDL_Rect position{0, 0, 0, 0};
    std::array<SurfacePtr, MaxAnimationFrames> frames;
    double speed = 0.0;
    int32_t frameCount = 0;
    std::array<std::string, MaxAnimationFrames> frameFiles;
    int32_t frameIndex = 0;
    double frameClock = 0.0;
};
