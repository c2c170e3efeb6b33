#include "actors/hero_motion.h"

#include <cmath>

#include "actors/body.h"

namespace {

// The body moves by whole pixels: the speed truncated toward zero. Speeds
// stay within ±10, but a wild value must not make the conversion undefined.
int32_t wholePixels(double speed) {
    if (!(speed == speed)) {
        return 0;
    }
    const double truncated = std::trunc(speed);
    if (truncated >= 2147483647.0) {
        return INT32_MAX;
    }
    if (truncated <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(truncated);
}

}  // namespace

HeroSound HeroMotion::pressSpace() {
    if (motionState != MotionOnGround) {
        return HeroSound::None;
    }
    airborneMark = 2;
    motionState = MotionInAir;
    verticalSpeed = -10.0;
    return HeroSound::Jump;
}

void HeroMotion::releaseSpace() {
    // Accepted in any state: a release in the air drops the hero at 5 pixels
    // a frame and lets the next press start a new jump.
    motionState = MotionOnGround;
    verticalSpeed = 5.0;
}

HeroSound HeroMotion::step(Body& body) {
    body.verticalSpeed = wholePixels(verticalSpeed);
    if (body.update()) {
        const HeroSound sound = airborneMark != 0 ? HeroSound::Landing : HeroSound::None;
        motionState = MotionOnGround;
        airborneMark = 0;
        return sound;  // the speed is kept: stepping off an edge falls at it
    }
    motionState = MotionInAir;
    frameIndex = 1;
    if (verticalSpeed < 1.0) {
        verticalSpeed += 0.5;
    }
    airborneMark = 1;
    return HeroSound::None;
}

int32_t HeroMotion::chooseFrame() {
    if (motionState != MotionOnGround) {
        return frameIndex;
    }
    if (frameIndex > 4) {
        frameIndex = 2;
        frameClock = 0.0;
    } else if (frameClock > 1.0) {
        frameIndex += 1;
        frameClock = 0.0;
    }
    frameClock += frameStep;
    return frameIndex;
}
