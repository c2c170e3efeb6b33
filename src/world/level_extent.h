#pragma once

#include <cstdint>

// How far a level goes, for telling a player how far a run got.

// The hero stands over grid column (frame + HeroScreenColumn) in a frame at
// scroll step 1: its body is at screen x 310, and the camera has moved one
// column a frame by then.
constexpr int32_t HeroScreenColumn = 31;

// The last column with something solid on the screen's rows, -1 for none.
int32_t groundEndColumn(const int32_t* grid);

// The frame over that column: a run that lives through it has finished the
// level. At least 1, so that shares of it are always defined.
int32_t levelFinishFrame(const int32_t* grid);

// How far a run that ended in frame `frames` went, in whole percent of the
// level (0 to 100; 100 only for a run that lived past the finish frame).
int32_t progressPercent(int32_t frames, int32_t finishFrame);
