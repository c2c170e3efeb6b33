// The player models against levels whose answer is known: what it must always
// do, and how its figures must move when a level or a player changes.

#include "player_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "cautious_model.h"

#include "world/cell_code.h"

namespace {

using Grid = std::vector<int32_t>;

constexpr int32_t FloorRow = 40;  // the body runs in row 39, its waist in row 37

void floor(Grid& grid, int32_t first, int32_t last) {
    for (int32_t column = first; column <= last; ++column) {
        grid.at(static_cast<std::size_t>(cellIndex(column, FloorRow))) = Tile0;
        grid.at(static_cast<std::size_t>(cellIndex(column, FloorRow + 1))) = Tile0;
    }
}

// Ground to column 700 with a gap of `width` columns from column 300.
Grid gapLevel(int32_t width) {
    Grid grid(GridCells, Empty);
    floor(grid, 0, 299);
    floor(grid, 300 + width, 700);
    return grid;
}

ModelFigures play(const Grid& grid, double sigmaMs, int32_t plays, int32_t viewFrames = 40) {
    const SurvivalTable table(grid.data());
    ModelOptions options;
    options.sigmaMs = sigmaMs;
    options.viewFrames = viewFrames;
    const PlayerModel model(grid.data(), table, options);
    return summarize(playMany(model, 5, plays, 2), 0);
}

}  // namespace

TEST(PlayerModel, EveryPlayFinishesAFlatFloorAndNoneGoesOnPastIt) {
    Grid grid(GridCells, Empty);
    floor(grid, 0, 500);
    for (double sigma : {0.0, 30.0, 60.0, 120.0}) {
        const ModelFigures figures = play(grid, sigma, 50);
        EXPECT_EQ(figures.finishShare, 1.0) << sigma;
        // Past the end it floats a while if it likes, and then falls out.
        EXPECT_GT(figures.medianSeconds, (500 - 31) * FrameMs / 1000.0) << sigma;
        EXPECT_LT(figures.medianSeconds, (500 - 31 + 200) * FrameMs / 1000.0) << sigma;
    }
}

TEST(PlayerModel, AWiderGapAndAShakierHandFinishLessOften) {
    // A held jump floats over a gap of about 120 columns at most: the last
    // presses and releases that make it get fewer as the gap nears that.
    double steadyBefore = 1.0;
    double shakyBefore = 1.0;
    for (int32_t width : {40, 116, 120}) {
        const double steady = play(gapLevel(width), 30.0, 200).finishShare;
        const double shaky = play(gapLevel(width), 90.0, 200).finishShare;
        EXPECT_LE(shaky, steady) << width;
        EXPECT_LE(steady, steadyBefore) << width;
        EXPECT_LE(shaky, shakyBefore) << width;
        steadyBefore = steady;
        shakyBefore = shaky;
    }
    EXPECT_EQ(play(gapLevel(40), 90.0, 200).finishShare, 1.0);
    EXPECT_LT(shakyBefore, 0.9);
}

TEST(PlayerModel, AnEnemySeenComingCostsLessOften) {
    Grid grid(GridCells, Empty);
    floor(grid, 0, 400);
    grid.at(static_cast<std::size_t>(cellIndex(250, FloorRow - 3))) = Enemy;
    // Frames lived less the score: 100 for each hit.
    const auto hitShare = [&](int32_t viewFrames) {
        const SurvivalTable table(grid.data());
        ModelOptions options;
        options.sigmaMs = 60.0;
        options.viewFrames = viewFrames;
        const PlayerModel model(grid.data(), table, options);
        int32_t hit = 0;
        const std::vector<PlayResult> results = playMany(model, 9, 200, 2);
        for (const PlayResult& result : results) {
            hit += result.score < result.frames ? 1 : 0;
        }
        return hit / 200.0;
    };
    const double seen = hitShare(40);
    const double glimpsed = hitShare(4);
    EXPECT_LT(seen, 0.1);
    EXPECT_GT(glimpsed, seen + 0.3);
}

TEST(PlayerModel, TheSameSeedGivesTheSamePlay) {
    const Grid grid = gapLevel(40);
    const SurvivalTable table(grid.data());
    const PlayerModel model(grid.data(), table, ModelOptions{});
    const PlayResult first = model.play(playSeed(3, 7));
    const PlayResult again = model.play(playSeed(3, 7));
    EXPECT_EQ(first.inputs, again.inputs);
    EXPECT_EQ(first.score, again.score);
    const std::vector<PlayResult> many = playMany(model, 3, 10, 2);
    EXPECT_EQ(many[7].inputs, first.inputs);
}

TEST(CautiousModel, PressesOnlyForWhatWouldEndThePlayOrHurtIt) {
    // Bonuses along the top of a held jump tempt it no more than bare ground.
    Grid tempting(GridCells, Empty);
    floor(tempting, 0, 600);
    for (int32_t column = 250; column < 300; ++column) {
        tempting.at(static_cast<std::size_t>(cellIndex(column, FloorRow - 12))) = Bonus;
    }
    Grid guarded(GridCells, Empty);
    floor(guarded, 0, 600);
    guarded.at(static_cast<std::size_t>(cellIndex(250, FloorRow - 3))) = Enemy;
    const Grid gap = gapLevel(60);
    struct Case {
        const Grid& grid;
        bool jumps;
    };
    for (const Case& test : {Case{tempting, false}, Case{guarded, true}, Case{gap, true}}) {
        const SurvivalTable table(test.grid.data());
        const CautiousModel model(test.grid.data(), table, ModelOptions{});
        int32_t hits = 0;
        for (const PlayResult& result : playMany(model, 4, 40, 2)) {
            // Before the floor's end comes into view, where it jumps to live on.
            const auto presses =
                std::count(result.inputs.begin(), result.inputs.begin() + 450, SpaceInput::Press);
            EXPECT_EQ(presses > 0, test.jumps) << (&test.grid == &gap);
            EXPECT_TRUE(result.finished);
            hits += result.score < result.frames ? 1 : 0;
        }
        EXPECT_LE(hits, 2);  // the enemy is seen coming and jumped over
    }
}
