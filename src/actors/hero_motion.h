#pragma once

#include <cstdint>

class Body;

enum MotionState : int32_t {
    MotionOnGround = 0,
    MotionInAir = 1,
    MotionNew = 2,
};

// What the hero's rules ask the shell to play.
enum class HeroSound { None, Jump, Landing };

// The hero's motion rules without pictures or sound: the space bar, gravity,
// the airborne mark and the choice of frame. The game's Hero and the level
// checker both run this very code.
struct HeroMotion {
    int32_t motionState = MotionNew;
    int32_t frameIndex = 0;
    double frameClock = 0.0;
    double frameStep = 1.0;
    double verticalSpeed = 10.0;
    int32_t airborneMark = 0;

    // The space bar. A press returns HeroSound::Jump when it starts a jump.
    HeroSound pressSpace();
    void releaseSpace();

    // Steps 1 to 4 of the hero's update: gives the speed to the body, moves
    // it, then lands or applies gravity. Returns HeroSound::Landing when the
    // landing sound is due.
    HeroSound step(Body& body);

    // The frame the next draw shows (advances the running cycle on the ground).
    int32_t chooseFrame();
};
