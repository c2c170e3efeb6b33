#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "app/camera.h"
#include "screens/replay_file.h"

// Plays a recorded run frame by frame on a level's grid with the game's own
// hero and body rules, without pictures or sound: what the run's hero does in
// each frame, from nothing but its keys. Holds pointers to the grid and the
// replay, which must outlive it.
class ReplayRunner {
  private:
    Camera camera;  // first: the body holds its address

  public:
    ReplayRunner(const int32_t* grid, const ReplayData* replay);

    // Hears the keys due before the next frame and plays it. False, doing
    // nothing, once the hero has fallen out or the run's frames are all played.
    bool step();
    bool ended() const { return body.fellOut != 0 || frame >= replay->frames; }

    int32_t frame = 0;  // frames played
    int32_t score = 0;
    Body body;
    HeroMotion motion;

  private:
    const int32_t* grid;
    const ReplayData* replay;
    std::size_t nextEvent = 0;
};

// Whether the replay, played on `grid`, falls out in its last frame with its
// stated score. When not, `reason` says why, in French.
bool replayReplays(const int32_t* grid, const ReplayData& replay, std::string& reason);
