#include "actors/hero_motion.h"

#include <gtest/gtest.h>

#include <vector>

#include "actors/body.h"
#include "world/cell_code.h"

namespace {

// Ground under the hero's column at row 25: a body at y 240..249 stands on it.
struct MotionFixture : ::testing::Test {
    std::vector<int32_t> grid = std::vector<int32_t>(GridCells, Empty);
    Camera camera;
    Body body{grid.data(), &camera};
    HeroMotion motion;

    void SetUp() override { grid[cellIndex(31, 25)] = Tile0; }

    // Steps once and returns how far the body moved.
    int32_t move(HeroSound* sound = nullptr) {
        const int32_t before = body.y;
        const HeroSound played = motion.step(body);
        if (sound != nullptr) {
            *sound = played;
        }
        return body.y - before;
    }

    void standOnGround() {
        ASSERT_EQ(motion.step(body), HeroSound::None);
        ASSERT_EQ(motion.motionState, MotionOnGround);
    }
};

TEST_F(MotionFixture, ANewHeroFallsTenAFrameAndLandsWithASound) {
    EXPECT_EQ(motion.motionState, MotionNew);
    EXPECT_EQ(motion.frameIndex, 0);
    EXPECT_EQ(motion.frameClock, 0.0);
    EXPECT_EQ(motion.frameStep, 1.0);
    EXPECT_EQ(motion.verticalSpeed, 10.0);
    EXPECT_EQ(motion.airborneMark, 0);

    grid[cellIndex(31, 25)] = Empty;
    grid[cellIndex(31, 30)] = Tile0;
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(move(), 10) << "frame " << frame;
        EXPECT_EQ(motion.motionState, MotionInAir);
        EXPECT_EQ(motion.frameIndex, 1);
        EXPECT_EQ(motion.airborneMark, 1);
    }
    HeroSound sound = HeroSound::None;
    EXPECT_EQ(move(&sound), 0);
    EXPECT_EQ(sound, HeroSound::Landing);
    EXPECT_EQ(motion.motionState, MotionOnGround);
    EXPECT_EQ(motion.airborneMark, 0);
    EXPECT_EQ(motion.verticalSpeed, 10.0);  // kept after the landing
}

TEST_F(MotionFixture, AHeroThatLandsAtOnceMakesNoSound) {
    EXPECT_EQ(motion.step(body), HeroSound::None);
    EXPECT_EQ(motion.motionState, MotionOnGround);
    EXPECT_EQ(motion.frameIndex, 0);
}

TEST_F(MotionFixture, AHeldJumpRisesAHundredPausesThreeThenSinksOne) {
    standOnGround();
    EXPECT_EQ(motion.pressSpace(), HeroSound::Jump);
    EXPECT_EQ(motion.verticalSpeed, -10.0);
    EXPECT_EQ(motion.airborneMark, 2);

    std::vector<int32_t> moves;
    int32_t risen = 0;
    for (int frame = 0; frame < 19; ++frame) {
        moves.push_back(move());
        risen -= moves.back();
    }
    const std::vector<int32_t> expected{-10, -9, -9, -8, -8, -7, -7, -6, -6, -5,
                                        -5,  -4, -4, -3, -3, -2, -2, -1, -1};
    EXPECT_EQ(moves, expected);
    EXPECT_EQ(risen, 100);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(move(), 0) << "pause frame " << frame;
        EXPECT_EQ(motion.motionState, MotionInAir);
    }
    EXPECT_EQ(motion.verticalSpeed, 1.0);
    int sinkFrames = 0;
    HeroSound sound = HeroSound::None;
    while (motion.motionState == MotionInAir && sinkFrames < 200) {
        const int32_t moved = move(&sound);
        if (motion.motionState == MotionInAir) {
            EXPECT_EQ(moved, 1);
            EXPECT_EQ(motion.verticalSpeed, 1.0);  // gravity stops at 1.0
            ++sinkFrames;
        }
    }
    EXPECT_EQ(sinkFrames, 100);
    EXPECT_EQ(body.y, 240);
    EXPECT_EQ(sound, HeroSound::Landing);

    // The slow speed is kept: stepping off an edge now sinks 1 a frame.
    grid[cellIndex(31, 25)] = Empty;
    EXPECT_EQ(move(), 1);
}

TEST_F(MotionFixture, AReleaseDropsFiveAFrame) {
    standOnGround();
    motion.pressSpace();
    for (int frame = 0; frame < 4; ++frame) {
        move();
    }
    EXPECT_EQ(body.y, 204);  // 240 - 10 - 9 - 9 - 8
    motion.releaseSpace();
    EXPECT_EQ(motion.motionState, MotionOnGround);
    EXPECT_EQ(motion.verticalSpeed, 5.0);
    std::vector<int32_t> moves;
    HeroSound sound = HeroSound::None;
    while (moves.size() < 20) {
        moves.push_back(move(&sound));
        if (sound == HeroSound::Landing) {
            break;
        }
        EXPECT_EQ(motion.motionState, MotionInAir);
        EXPECT_EQ(motion.verticalSpeed, 5.0);
    }
    // 204 -> 244 in eight drops of 5 (row 24 from 240 on), then the landing.
    EXPECT_EQ(moves, (std::vector<int32_t>{5, 5, 5, 5, 5, 5, 5, 5, 0}));
    EXPECT_EQ(body.y, 244);
}

TEST_F(MotionFixture, TheBodyGetsTheSpeedTruncatedTowardZero) {
    motion.motionState = MotionInAir;
    motion.verticalSpeed = -9.5;
    motion.step(body);
    EXPECT_EQ(body.verticalSpeed, -9);
    EXPECT_EQ(motion.verticalSpeed, -9.0);
    motion.verticalSpeed = 0.5;
    motion.step(body);
    EXPECT_EQ(body.verticalSpeed, 0);
    EXPECT_EQ(motion.verticalSpeed, 1.0);
    for (double speed : {1.0, 5.0, 10.0}) {
        grid[cellIndex(31, 25)] = Empty;
        body.y = 100;
        motion.verticalSpeed = speed;
        motion.step(body);
        EXPECT_EQ(motion.verticalSpeed, speed) << "no gravity at or above 1.0";
    }
}

TEST_F(MotionFixture, PressIsIgnoredUntilOnGround) {
    grid[cellIndex(31, 25)] = Empty;
    grid[cellIndex(31, 40)] = Tile0;
    EXPECT_EQ(motion.pressSpace(), HeroSound::None);  // new
    EXPECT_EQ(motion.motionState, MotionNew);
    motion.step(body);
    EXPECT_EQ(motion.pressSpace(), HeroSound::None);  // falling
    EXPECT_EQ(motion.motionState, MotionInAir);
    EXPECT_EQ(motion.verticalSpeed, 10.0);
    EXPECT_EQ(motion.airborneMark, 1);
}

TEST_F(MotionFixture, PressAndReleaseBeforeAnUpdateLandAtOnce) {
    standOnGround();
    EXPECT_EQ(motion.pressSpace(), HeroSound::Jump);
    motion.releaseSpace();
    EXPECT_EQ(motion.motionState, MotionOnGround);
    EXPECT_EQ(motion.verticalSpeed, 5.0);
    HeroSound sound = HeroSound::None;
    EXPECT_EQ(move(&sound), 0);
    EXPECT_EQ(sound, HeroSound::Landing);  // the mark 2 of the jump
    EXPECT_EQ(motion.motionState, MotionOnGround);
    EXPECT_EQ(motion.airborneMark, 0);
}

TEST_F(MotionFixture, ReleaseThenPressInTheAirStartsANewJump) {
    standOnGround();
    motion.pressSpace();
    move();
    move();
    motion.releaseSpace();
    EXPECT_EQ(motion.pressSpace(), HeroSound::Jump);
    EXPECT_EQ(motion.motionState, MotionInAir);
    EXPECT_EQ(motion.verticalSpeed, -10.0);
    EXPECT_EQ(motion.airborneMark, 2);
    EXPECT_EQ(move(), -10);
}

std::vector<int32_t> drawFrames(HeroMotion& motion, int count) {
    std::vector<int32_t> frames;
    for (int i = 0; i < count; ++i) {
        frames.push_back(motion.chooseFrame());
    }
    return frames;
}

TEST_F(MotionFixture, RunningCycleFromTheStartOfALevel) {
    standOnGround();
    EXPECT_EQ(drawFrames(motion, 19),
              (std::vector<int32_t>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 2, 2, 3, 3, 4, 4, 5, 2}));
}

TEST_F(MotionFixture, InTheAirTheFrameStaysAndTheClockWaits) {
    standOnGround();
    drawFrames(motion, 5);  // index 2, clock 1.0
    motion.pressSpace();
    for (int frame = 0; frame < 4; ++frame) {
        motion.step(body);
        EXPECT_EQ(motion.chooseFrame(), 1);
        EXPECT_EQ(motion.frameClock, 1.0);
    }
    // Land again with the clock kept: frame 1 stays for one more draw.
    motion.releaseSpace();
    HeroSound sound = HeroSound::None;
    for (int frame = 0; frame < 50 && sound != HeroSound::Landing; ++frame) {
        sound = motion.step(body);
    }
    ASSERT_EQ(sound, HeroSound::Landing);
    EXPECT_EQ(drawFrames(motion, 9), (std::vector<int32_t>{1, 2, 2, 3, 3, 4, 4, 5, 2}));

    // A new hero shows its frame 0 unchanged until its first update.
    HeroMotion fresh;
    EXPECT_EQ(drawFrames(fresh, 3), (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(fresh.frameClock, 0.0);
}

}  // namespace
