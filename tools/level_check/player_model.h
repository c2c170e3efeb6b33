#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "level_search.h"
#include "survival_table.h"

// A practised player, for measuring how people fare on a level.
//
// It sees what the screen shows: the columns from the hero's to the screen's
// right edge, that is the next `viewFrames` frames. Before each key event it
// weighs every timing of that event on screen:
//  - safe: from the state the timing leads to, the hero can still live
//    through the last frame it sees (SurvivalTable, asked only about those
//    frames); a release whose fall ends off screen is no plan;
//  - worth: what it gains in bonuses (+50) and loses to enemies (-100) until
//    the hero, having come down, would run off the ground again or the view
//    ends (a press counts with the release the model would then aim at);
//  - comfortable (releases): the hero comes down on screen with room for the
//    next jump.
// It aims at the middle of the run of consecutive safe timings worth the most
// that leaves a margin of 3 sigma on either side, comfortable ones first;
// failing that it does nothing while that (or, over a gap, holding on) is
// safe, else it aims at the middle of the widest safe run. It commits to an
// aim `leadFrames` before it and then misses it by a Gaussian error of sigma
// milliseconds (a frame is 31 ms, and an event moves by whole frames). It
// never presses in the frame gap where it released, so it never jumps in
// mid-air. Once the hero stands again with the key held, it lets go.
struct ModelOptions {
    double sigmaMs = 60.0;
    int32_t viewFrames = 40;  // the hero's column to the right edge of the screen
};

constexpr double FrameMs = 31.0;

// Where a play starts: the start of the level (the hero as a new game
// builds it), or a practice's checkpoint, after frame `frame`, the key up.
struct PlayStart {
    int32_t frame = 0;
    int32_t y = 240;
    HeroMotion motion;
};

struct PlayResult {
    std::vector<SpaceInput> inputs;  // one per frame played from the start, before that frame
    int32_t frames = 0;              // the last frame played: the one the hero fell out in
    int32_t score = 0;
    bool finished = false;     // lived through the frame over the last column with ground
    int32_t lastStanding = 0;  // the last frame the hero stood on something
};

class PlayerModel {
  public:
    PlayerModel(const int32_t* grid, const SurvivalTable& table, const ModelOptions& options);

    // One play; the same seed always gives the same play.
    PlayResult play(uint64_t seed, const PlayStart& start = PlayStart{}) const;

    // The frame over the last column with ground: living through it finishes.
    int32_t finishFrame() const { return finishFrame_; }

  private:
    struct State;
    struct Plan;
    Plan planPress(int32_t now, const State& state, int32_t earliest, double seenFrom) const;
    Plan planRelease(int32_t now, const State& state, int32_t earliest, int32_t last,
                     int32_t takeoffEnd, double seenFrom, bool lookAhead) const;
    // Whether the hero, holding on from before `frame`, is still in the air
    // when it passes `column`.
    bool floatsPast(int32_t frame, State state, int32_t column) const;
    // The last column of the ground under a hero standing at `y` in `column`.
    int32_t surfaceEnd(int32_t column, int32_t y) const;
    struct Fall {
        int32_t frame = 0;  // the frame it lands or falls out in
        int32_t y = 0;
        int32_t worth = 0;  // bonuses and enemies met on the way
        bool landed = false;
    };
    const Fall& fallFrom(int32_t frame, int32_t y) const;
    int32_t releasedWorth(int32_t frame, int32_t y, int32_t last) const;
    bool roomAfterLanding(int32_t frame, int32_t y, int32_t last) const;
    bool landsOnScreen(int32_t frame, int32_t y, int32_t last) const;
    static HeroMotion landedMotion();
    static bool inHand(const HeroMotion& motion);
    int32_t horizon(int32_t now) const;
    // Whether the hero meets any bonus or enemy cell's column in these frames.
    bool somethingBetween(int32_t firstFrame, int32_t lastFrame) const;

    uint64_t id_ = 0;  // tells this model's cached falls from another's
    const int32_t* grid_;
    const SurvivalTable& table_;
    ModelOptions options_;
    int32_t finishFrame_ = 0;
    std::vector<int32_t> pickupsBefore_;  // bonus and enemy cells left of each column
    double minRoom_ = 1.0;                // frames of safe timings wanted on either side of an aim
    int32_t leadFrames_ = 3;              // how far ahead an aim is committed to
};

// What many plays add up to. Shares are of all plays; times in seconds.
struct ModelFigures {
    int32_t plays = 0;
    double finishShare = 0.0;
    double passShare = 0.0;  // score above the limit
    double medianSeconds = 0.0;
    double tenthSeconds = 0.0;  // the 10th percentile
    int32_t medianScore = 0;
    int32_t tenthScore = 0;
};

// The seed of play number `play` of a series.
uint64_t playSeed(uint64_t seed, int32_t play);

// Plays `plays` times, play i with playSeed(seed, i), on up to `threads`
// threads: any model with `PlayResult play(uint64_t seed) const`.
template <typename Model>
std::vector<PlayResult> playMany(const Model& model, uint64_t seed, int32_t plays,
                                 int32_t threads) {
    std::vector<PlayResult> results(static_cast<std::size_t>(std::max(0, plays)));
    threads = std::clamp(threads, 1, 64);
    std::vector<std::thread> workers;
    for (int32_t w = 0; w < threads; ++w) {
        workers.emplace_back([&, w] {
            for (int32_t i = w; i < plays; i += threads) {
                results[static_cast<std::size_t>(i)] = model.play(playSeed(seed, i));
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    return results;
}

ModelFigures summarize(const std::vector<PlayResult>& results, int32_t limit);

// The limit that `share` of the plays pass (their score is above it).
int32_t limitPassedBy(const std::vector<PlayResult>& results, double share);
