#include "level_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "level_search.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

levelgen::Settings settingsFor(uint64_t seed, int32_t difficulty) {
    levelgen::Settings settings;
    settings.seed = seed;
    settings.difficulty = difficulty;
    settings.number = difficulty;
    return settings;
}

// The widest run of columns with nothing solid in the visible rows.
int32_t widestGap(const std::vector<int32_t>& grid) {
    int32_t widest = 0;
    int32_t current = 0;
    for (int32_t column = 0; column < GridColumns; ++column) {
        bool solid = false;
        for (int32_t row = 0; row < VisibleRows; ++row) {
            solid = solid || isSolid(cellAt(grid.data(), column, row));
        }
        current = solid ? 0 : current + 1;
        widest = std::max(widest, current);
    }
    return widest;
}

}  // namespace

TEST(LevelGen, TheSameSeedGivesTheSameLevelAndAnotherSeedAnother) {
    const std::vector<int32_t> first = levelgen::generateGrid(settingsFor(11, 2));
    const std::vector<int32_t> again = levelgen::generateGrid(settingsFor(11, 2));
    const std::vector<int32_t> other = levelgen::generateGrid(settingsFor(12, 2));
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(levelgen::levelFileText(settingsFor(11, 2), first),
              levelgen::levelFileText(settingsFor(11, 2), again));
}

TEST(LevelGen, TheFileReadsBackIntoTheSameGridWithTheLevelsPictures) {
    const levelgen::Settings settings = settingsFor(5, 3);
    const std::vector<int32_t> grid = levelgen::generateGrid(settings);
    LevelFileData data;
    std::vector<int32_t> read(GridCells, Empty);
    parseLevelText(levelgen::levelFileText(settings, grid), data, read.data());
    EXPECT_EQ(read, grid);
    EXPECT_EQ(data.backgroundPath, "Niveaux/niveau-3/fond.png");
    EXPECT_EQ(data.overlayPath, "Niveaux/niveau-3/decor.png");
    EXPECT_EQ(data.extraImagePath, "Niveaux/niveau-3/extra.png");
    EXPECT_EQ(data.tile0Path, "Niveaux/niveau-3/tile0.png");
    EXPECT_EQ(data.tile1Path, "Niveaux/niveau-3/tile1.png");
    EXPECT_FALSE(data.hasLimit);  // the build adds it once the checker has run
    // Every kind of cell is there, and nothing below the visible rows.
    for (int32_t code : {Tile0, Bonus, Enemy, Tile1}) {
        EXPECT_NE(std::count(grid.begin(), grid.end(), code), 0) << code;
    }
    for (int32_t column = 0; column < GridColumns; ++column) {
        for (int32_t row = VisibleRows; row < GridRows; ++row) {
            ASSERT_EQ(cellAt(grid.data(), column, row), Empty) << column << " " << row;
        }
    }
}

TEST(LevelGen, TheStartIsSafeWhicheverWayTheLevelBegins) {
    const std::vector<int32_t> grid = levelgen::generateGrid(settingsFor(3, 3));
    // A new hero falling at 10 pixels a frame, and one slowed to 5 by the
    // release the menu leaves queued, both land and run on untouched.
    for (SpaceInput first : {SpaceInput::Nothing, SpaceInput::Release}) {
        std::vector<SpaceInput> inputs(120, SpaceInput::Nothing);
        inputs.front() = first;
        const std::vector<RunFrame> run = replayRun(grid.data(), inputs);
        ASSERT_EQ(run.size(), inputs.size());
        EXPECT_FALSE(run.back().fellOut);
        EXPECT_EQ(run.back().row, 39);
        EXPECT_EQ(run.back().score, 120);
    }
}

TEST(LevelGen, EveryDifficultyCanBeFinishedWithoutJumpsInMidAir) {
    // Other seeds than the shipped ones: the generator checks its own jumps.
    for (int32_t difficulty = 1; difficulty <= 3; ++difficulty) {
        const std::vector<int32_t> grid = levelgen::generateGrid(settingsFor(101, difficulty));
        SearchOptions options;
        options.airJumps = false;
        const SearchResult result = searchLevel(grid.data(), options);
        EXPECT_TRUE(result.finishable) << "difficulty " << difficulty << " stops at column "
                                       << result.framesSurvived + HeroColumnOffset;
    }
}

TEST(LevelGen, HarderLevelsHaveWiderGapsAndMoreEnemies) {
    levelgen::Summary gentle;
    levelgen::Summary demanding;
    const std::vector<int32_t> easy = levelgen::generateGrid(settingsFor(8, 1), &gentle);
    const std::vector<int32_t> hard = levelgen::generateGrid(settingsFor(8, 3), &demanding);
    EXPECT_GT(widestGap(hard), widestGap(easy));
    EXPECT_GT(demanding.enemies, gentle.enemies);
    EXPECT_EQ(std::count(easy.begin(), easy.end(), Enemy), gentle.enemies);
    EXPECT_EQ(std::count(hard.begin(), hard.end(), Bonus), demanding.bonuses);
}
