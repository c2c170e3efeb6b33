#pragma once

#include <cstdint>
#include <vector>

#include "player_model.h"

// A model practising a level as the game runs a practice: it plays from the
// start; the game takes a checkpoint by itself every Practice::AutoCheckpointFrames
// frames where the checkpoint rule allows one (the model never asks for one by
// hand); a fall costs the pause after it and goes back to the last
// checkpoint, from which the model plays again with new errors of its hand.
struct PracticeResult {
    bool finished = false;
    int32_t framesPlayed = 0;  // frames of play and of pauses after falls, to the end or the budget
    int32_t falls = 0;
};

// The checkpoints the game would take along a play from `start` (after the
// frames since the last checkpoint), and the last of them.
struct CheckpointWalk {
    PlayStart last;
    int32_t framesSince = 0;
};
CheckpointWalk walkCheckpoints(const int32_t* grid, const PlayStart& start, const PlayResult& play,
                               int32_t framesSince);

// Practises until the model finishes the level or `budgetFrames` of play are
// spent; attempt i after the start plays with playSeed(seed, i).
template <typename Model>
PracticeResult practise(const Model& model, const int32_t* grid, uint64_t seed,
                        int32_t budgetFrames);

// `count` practices at once on up to `threads` threads, practice i with the
// seed playSeed(seed, i).
template <typename Model>
std::vector<PracticeResult> practiseMany(const Model& model, const int32_t* grid, uint64_t seed,
                                         int32_t count, int32_t budgetFrames, int32_t threads);

// Frames in `minutes` of play at the game's pace.
constexpr int32_t framesInMinutes(double minutes) {
    return static_cast<int32_t>(minutes * 60000.0 / FrameMs);
}
