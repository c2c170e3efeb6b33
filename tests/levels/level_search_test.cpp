#include "level_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "world/cell_code.h"

namespace {

using Grid = std::vector<int32_t>;

constexpr int32_t FloorRow = 40;  // the body runs in row 39, its waist in row 37

Grid emptyGrid() {
    return Grid(GridCells, Empty);
}

void floor(Grid& grid, int32_t first, int32_t last, int32_t row = FloorRow) {
    for (int32_t column = first; column <= last; ++column) {
        grid[static_cast<std::size_t>(cellIndex(column, row))] = Tile0;
        grid[static_cast<std::size_t>(cellIndex(column, row + 1))] = Tile0;
    }
}

void put(Grid& grid, int32_t column, int32_t row, int32_t code) {
    grid[static_cast<std::size_t>(cellIndex(column, row))] = code;
}

SearchOptions upTo(int32_t lastColumn, bool airJumps) {
    SearchOptions options;
    options.lastColumn = lastColumn;
    options.airJumps = airJumps;
    return options;
}

int32_t pressesBefore(const std::vector<SpaceInput>& inputs, int32_t column) {
    int32_t presses = 0;
    for (int32_t frame = 1; frame <= static_cast<int32_t>(inputs.size()); ++frame) {
        const SpaceInput input = inputs[static_cast<std::size_t>(frame - 1)];
        if (frame + HeroColumnOffset <= column &&
            (input == SpaceInput::Press || input == SpaceInput::ReleasePress)) {
            ++presses;
        }
    }
    return presses;
}

}  // namespace

TEST(LevelSearch, AFlatFloorToTheEndScoresOnePointAFrame) {
    Grid grid = emptyGrid();
    floor(grid, 0, GridColumns - 1);
    SearchOptions options;
    options.airJumps = false;
    const SearchResult whole = searchLevel(grid.data(), options);
    EXPECT_TRUE(whole.finishable);
    EXPECT_EQ(whole.frames, 9968);  // the frame over column 9999
    EXPECT_EQ(whole.bestScore, 9968);

    // Mid-air jumps change nothing where there is nothing to take.
    const SearchResult shorter = searchLevel(grid.data(), upTo(500, true));
    EXPECT_TRUE(shorter.finishable);
    EXPECT_EQ(shorter.frames, 469);
    EXPECT_EQ(shorter.bestScore, 469);
}

TEST(LevelSearch, AGapTooWideCannotBeCrossedWithoutAJumpInMidAir) {
    Grid grid = emptyGrid();
    floor(grid, 0, 600);
    floor(grid, 1000, 1400);
    const SearchResult plain = searchLevel(grid.data(), upTo(1400, false));
    EXPECT_FALSE(plain.finishable);
    // The longest stay in the air: a held jump from the edge (rise 100 pixels,
    // sink 1 pixel a frame) lasts a little over 200 frames.
    const int32_t furthest = plain.framesSurvived + HeroColumnOffset;
    EXPECT_GT(furthest, 600 + 150);
    EXPECT_LT(furthest, 1000);

    // A release and a press within one frame start a new jump in the air, so
    // the hero can stay up as long as it likes.
    const SearchResult airJumps = searchLevel(grid.data(), upTo(1400, true));
    EXPECT_TRUE(airJumps.finishable);
}

TEST(LevelSearch, AGapAHeldJumpCrossesIsFinishable) {
    Grid grid = emptyGrid();
    floor(grid, 0, 300);
    floor(grid, 400, 800);
    const SearchResult result = searchLevel(grid.data(), upTo(800, false));
    EXPECT_TRUE(result.finishable);
    EXPECT_EQ(result.bestScore, result.frames);
}

TEST(LevelSearch, ABonusAboveTheWaistIsTakenOnlyByAJump) {
    Grid grid = emptyGrid();
    floor(grid, 0, 800);
    put(grid, 300, 33, Bonus);  // four rows above a runner's waist
    put(grid, 500, 20, Bonus);  // higher than a jump from the floor reaches
    SearchOptions options = upTo(800, false);
    options.keepRun = true;
    const SearchResult result = searchLevel(grid.data(), options);
    ASSERT_TRUE(result.finishable);
    EXPECT_EQ(result.bestScore, result.frames + 50);
    EXPECT_GE(pressesBefore(result.bestInputs, 300), 1);

    // The run the search gives back really scores that, played frame by frame.
    const std::vector<RunFrame> run = replayRun(grid.data(), result.bestInputs);
    ASSERT_EQ(static_cast<int32_t>(run.size()), result.frames);
    EXPECT_EQ(run.back().score, result.bestScore);
    EXPECT_EQ(run.back().column, 800);

    // Without a jump the bonus stays where it is.
    const std::vector<SpaceInput> idle(static_cast<std::size_t>(result.frames),
                                       SpaceInput::Nothing);
    EXPECT_EQ(replayRun(grid.data(), idle).back().score, result.frames);

    // Jumping again in mid-air reaches the high one too.
    const SearchResult flying = searchLevel(grid.data(), upTo(800, true));
    EXPECT_EQ(flying.bestScore, flying.frames + 100);
}

TEST(LevelSearch, AnEnemyCostsAHundredUnlessJumpedOver) {
    Grid grid = emptyGrid();
    floor(grid, 0, 800);
    put(grid, 400, FloorRow - 3, Enemy);  // at a runner's waist
    const SearchResult result = searchLevel(grid.data(), upTo(800, false));
    ASSERT_TRUE(result.finishable);
    EXPECT_EQ(result.bestScore, result.frames);

    const std::vector<SpaceInput> idle(static_cast<std::size_t>(result.frames),
                                       SpaceInput::Nothing);
    const std::vector<RunFrame> run = replayRun(grid.data(), idle);
    EXPECT_EQ(run.back().score, result.frames - 100);
    EXPECT_EQ(run[static_cast<std::size_t>(frameOverColumn(400) - 1)].waistCell, Enemy);

    // A wall of enemies meets the waist at every height: it cannot be avoided,
    // and the hero lands on it rather than falling through.
    for (int32_t row = 0; row < GridRows; ++row) {
        put(grid, 600, row, Enemy);
    }
    const SearchResult wall = searchLevel(grid.data(), upTo(800, true));
    ASSERT_TRUE(wall.finishable);
    EXPECT_EQ(wall.bestScore, wall.frames - 100);
}

TEST(LevelSearch, TheStartFallsAtTenPixelsAFrameUnlessAReleaseComesFirst) {
    // Under a new hero falling 10 pixels a frame from y 240 the floor begins
    // too late; a release queued before the first frame (as the menu leaves
    // it) slows the fall to 5 pixels and the hero lands on it.
    Grid grid = emptyGrid();
    floor(grid, 50, 600);
    std::vector<SpaceInput> idle(400, SpaceInput::Nothing);
    const std::vector<RunFrame> falling = replayRun(grid.data(), idle);
    ASSERT_FALSE(falling.empty());
    EXPECT_TRUE(falling.back().fellOut);

    SearchOptions options = upTo(600, false);
    options.keepRun = true;
    const SearchResult result = searchLevel(grid.data(), options);
    ASSERT_TRUE(result.finishable);
    const auto beforeFloor = result.bestInputs.begin() + frameOverColumn(50);
    EXPECT_NE(std::find_if(result.bestInputs.begin(), beforeFloor,
                           [](SpaceInput input) {
                               return input == SpaceInput::Release ||
                                      input == SpaceInput::PressRelease;
                           }),
              beforeFloor);

    std::vector<SpaceInput> fromMenu = idle;
    fromMenu.front() = SpaceInput::Release;
    const std::vector<RunFrame> landed = replayRun(grid.data(), fromMenu);
    EXPECT_FALSE(landed.back().fellOut);
    EXPECT_EQ(landed.back().row, FloorRow - 1);
}

TEST(LevelSearch, APostInAGapCarriesTheHero) {
    // Too wide for one jump, but a post in the middle is somewhere to land and
    // jump again.
    Grid grid = emptyGrid();
    floor(grid, 0, 300);
    floor(grid, 530, 900);
    EXPECT_FALSE(searchLevel(grid.data(), upTo(900, false)).finishable);
    for (int32_t column = 410; column < 416; ++column) {
        put(grid, column, FloorRow, Tile1);
    }
    EXPECT_TRUE(searchLevel(grid.data(), upTo(900, false)).finishable);
}
