#pragma once

#include <cstdint>

#include "player_model.h"
#include "survival_table.h"

// A second kind of practised player, from another idea of how people play:
// it does nothing until it must, and it gets back onto the ground as soon as
// it safely can. It sees what the screen shows (the next `viewFrames` frames)
// and knows the rules (the game's own hero and body code; the survival table,
// asked about the frames on screen only, tells a timing that still lives
// through the view).
//  - Press: only when running on would fall, or meet an enemy, on screen. It
//    takes the widest run of presses that live through the view (those that
//    pass the enemy untouched, for an enemy) and aims 3 sigma before its end,
//    or at its middle when it is narrower: it jumps late, from the edge.
//  - Release: it takes the widest run of releases that come down past what it
//    jumped for with ground ahead for a reaction time (250 ms) and 3 sigma,
//    else of those that come down past it at all, when that run is 3 sigma
//    wide (a target hit nine times in ten), and aims 3 sigma after its start
//    (its middle when narrower): it comes down early. With no such run on
//    screen and holding on living through the view, it holds on; failing
//    that, any safe landing, then the narrow runs. Down again with the key
//    held, it lets go.
// It commits to an aim 3 sigma (3 frames at least) before it, and misses it by
// a Gaussian error of sigma ms. It never goes after a bonus, never weighs the
// score, and never presses in the frame gap where it released (no mid-air
// jumps).
class CautiousModel {
  public:
    // How long a person takes to see what comes and start the next key.
    static constexpr double ReactionMs = 250.0;

    CautiousModel(const int32_t* grid, const SurvivalTable& table, const ModelOptions& options);

    // One play; the same seed always gives the same play.
    PlayResult play(uint64_t seed, const PlayStart& start = PlayStart{}) const;

    // The frame over the last column with ground: living through it finishes.
    int32_t finishFrame() const { return finishFrame_; }

    struct Aim {
        bool found = false;
        double at = 0.0;    // in frames: the gap before frame g spans (g - 1, g]
        int32_t goal = 0;   // a press: the frame of the edge or enemy it jumps for
        int32_t width = 0;  // timings in the run aimed into
    };

  private:
    struct State;
    // What to aim at from `state` (after frame `now`), no event before gap
    // `earliest`: a press while the key is up, a release while it is held.
    Aim aimPress(int32_t now, const State& state, int32_t earliest) const;
    Aim aimRelease(int32_t now, const State& state, int32_t earliest, int32_t goal) const;
    // The frame in which a hero let go before frame `gap` at `y` comes down
    // on screen (by frame `last`) where it lives through the view; else -1.
    int32_t safeLanding(int32_t gap, int32_t y, int32_t last, int32_t* landedY = nullptr) const;
    // Columns of ground under a hero standing at `y` in `frame`, its own included.
    int32_t groundAhead(int32_t frame, int32_t y) const;
    int32_t horizon(int32_t now) const;

    uint64_t id_ = 0;  // tells this model's cached falls from another's
    const int32_t* grid_;
    const SurvivalTable& table_;
    ModelOptions options_;
    int32_t finishFrame_ = 0;
    double marginFrames_ = 1.0;  // 3 sigma: kept from the edge of a window
    int32_t leadFrames_ = 3;     // how far ahead an aim is committed to
    int32_t settleFrames_ = 9;   // ground wanted after a landing: reaction time and margin
};
