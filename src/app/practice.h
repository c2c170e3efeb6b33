#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "app/camera.h"

// Everything the next frames of a level depend on, as it was after frame
// `frame`: restoring it plays on exactly as the run that made it did. The
// bonuses taken are counted rather than copied: the grid changes only where
// the hero takes one, and the play keeps the list of those cells in order.
struct PlayCheckpoint {
    int32_t frame = 0;
    Camera camera;
    int32_t score = 0;
    int32_t scrollStep = 1;
    std::size_t bonusesTaken = 0;
    HeroMotion motion;
    Body body{nullptr, nullptr};  // the values only: the restore keeps its pointers
    int32_t enemyFrameIndex = 0;
    double enemyFrameClock = 0.0;
};

// The bookkeeping of a practised level, without pictures or sound: which
// checkpoints there are, when the next one is due, the pause after a fall
// and the end of the level.
class Practice {
  public:
    // Frames between two checkpoints taken by themselves (about four
    // seconds), and how long a fall and the end of the level are shown.
    static constexpr int32_t AutoCheckpointFrames = 128;
    static constexpr int32_t FallPauseFrames = 25;
    static constexpr int32_t FinishedFrames = 50;

    // A new practice of a level that is finished past `finishFrame`, from
    // the state `start` of its first frame.
    void begin(const PlayCheckpoint& start, int32_t finishFrame);

    // The checkpoint key: a checkpoint is taken at the next frame that allows one.
    void askForCheckpoint() { asked_ = true; }
    // Whether a checkpoint is due after this frame, if the rule allows one.
    bool checkpointDue() const;
    void add(const PlayCheckpoint& checkpoint);
    // Counts a frame played without a checkpoint.
    void framePlayed() { ++framesSince_; }

    const PlayCheckpoint& last() const { return checkpoints_.back(); }
    const std::vector<PlayCheckpoint>& checkpoints() const { return checkpoints_; }
    int32_t finishFrame() const { return finishFrame_; }

    // The pause between a fall and the restore: started by the fall, it counts
    // down one a frame; true in the frame that ends it.
    void fell() { pause_ = FallPauseFrames; }
    bool waitingAfterFall() const { return pause_ > 0; }
    bool pauseOver() { return pause_ > 0 && --pause_ == 0; }
    int32_t falls() const { return falls_; }
    void restored() {
        ++falls_;
        framesSince_ = 0;
    }

    // Past the finish frame the level is done: "Niveau terminé" shows for a
    // while, and then the practice ends.
    void finish() { finished_ = FinishedFrames; }
    bool finished() const { return finished_ >= 0; }
    bool finishShown() { return finished_ > 0 && --finished_ == 0; }

  private:
    std::vector<PlayCheckpoint> checkpoints_;
    int32_t finishFrame_ = 1;
    int32_t framesSince_ = 0;
    bool asked_ = false;
    int32_t pause_ = 0;
    int32_t falls_ = 0;
    int32_t finished_ = -1;
};
