#pragma once

#include <cstdint>
#include <vector>

#include "actors/hero_motion.h"

// For every state the hero can be in after each frame of a level (played
// without mid-air jumps), how many more frames the best continuation lives,
// up to a cap. "Can the hero still get through the next K frames from here?"
// then costs one look-up, and its answer depends only on the columns that the
// hero meets in those K frames, so a player who sees K columns ahead may ask
// it without learning anything beyond the screen.
class SurvivalTable {
  public:
    // Frames counted ahead at most: more than the screen shows.
    static constexpr int32_t Cap = 48;

    // Every state reached from the start of a level (the hero as a new game
    // builds it, any keys between frames), up to the frame over the grid's
    // last column. A hero deeper than every floor of the level is lost
    // already, though its fall out of the screen takes a while yet.
    explicit SurvivalTable(const int32_t* grid);

    // Frames the hero can still live after `frame` from this state (0 to Cap),
    // or -1 for a state that no play reaches (or a frame outside the table).
    int32_t framesLeft(int32_t frame, int32_t y, const HeroMotion& motion) const;

    // The last frame that any play lives through.
    int32_t lastAliveFrame() const { return lastAliveFrame_; }
    // States kept, over all frames.
    int64_t stateCount() const;

  private:
    struct Frame {
        std::vector<uint32_t> keys;  // sorted
        std::vector<uint8_t> left;   // frames left, one per key
    };
    int32_t find(const Frame& frame, uint32_t key) const;

    std::vector<Frame> frames_;  // index: frame number (0 is the start)
    int32_t lastAliveFrame_ = 0;
};

// The state's key in the table, or UINT32_MAX for one it cannot hold.
uint32_t survivalKey(int32_t y, const HeroMotion& motion);
