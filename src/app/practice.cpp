#include "app/practice.h"

void Practice::begin(const PlayCheckpoint& start, int32_t finishFrame) {
    *this = Practice{};
    checkpoints_.push_back(start);
    finishFrame_ = finishFrame;
}

bool Practice::checkpointDue() const {
    return asked_ || framesSince_ >= AutoCheckpointFrames;
}

void Practice::add(const PlayCheckpoint& checkpoint) {
    // A restore at a checkpoint's frame would take it again: one is enough.
    if (checkpoints_.empty() || checkpoints_.back().frame != checkpoint.frame) {
        checkpoints_.push_back(checkpoint);
    }
    framesSince_ = 0;
    asked_ = false;
}
