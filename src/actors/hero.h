#pragma once

#include <SDL/SDL.h>

#include <array>
#include <cstdint>
#include <string>

#include "actors/hero_file.h"
#include "actors/hero_motion.h"
#include "gfx/surface.h"
#include "sound/fsound.h"

class Body;

// The player character: turns the space bar into vertical speed, plays its
// jump and landing sounds, and draws its frame over the level.
class Hero {
  public:
    Hero(const std::string& heroFilePath, const std::string& name);
    ~Hero();
    Hero(const Hero&) = delete;
    Hero& operator=(const Hero&) = delete;

    void handleEvent(const SDL_Event& event);
    // Once per frame, after the level is drawn. Requires `body`.
    void update();
    void draw();
    void readHeroFile();
    void loadImages();

    HeroMotion motion;  // motionState, frameIndex, frameClock, verticalSpeed, airborneMark
    SDL_Rect spriteRect{0, 0, 128, 172};
    Body* body = nullptr;  // not owned; attached by the start of a game
    std::string name;
    std::string heroFilePath;
    std::string heroName;
    std::string cursorFile;
    std::array<std::string, MaxHeroFrameNames> frameFiles;
    std::array<SurfacePtr, MaxHeroFrames> frames;
    SurfacePtr cursorImage;
    int32_t frameCount = 0;
    SamplePtr jumpSample;
    SamplePtr landingSample;
};
