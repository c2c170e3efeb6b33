#include "level_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "level_search.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

levelgen::Settings settingsFrom(const std::string& seedText) {
    levelgen::Settings settings;
    std::string error;
    EXPECT_TRUE(levelgen::parseSeedText(seedText, settings, error)) << error;
    return settings;
}

}  // namespace

TEST(LevelGen, TheSameSeedFileGivesTheSameLevelAndAnotherSeedAnother) {
    const std::string blocks = "gap 2\nposts 2 x2 # two of them\nhigh-road 3\n";
    const std::vector<int32_t> first = levelgen::generateGrid(settingsFrom("seed 4\n" + blocks));
    const std::vector<int32_t> again = levelgen::generateGrid(settingsFrom("seed 4\n" + blocks));
    const std::vector<int32_t> other = levelgen::generateGrid(settingsFrom("seed 5\n" + blocks));
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST(LevelGen, ASeedFileWithAMistakeNamesItsLine) {
    for (const char* text :
         {"gap 2\nhop 1\n", "gap 2\ngap 9\n", "gap 2\ngap\n", "gap 2\ngap 1 3\n"}) {
        levelgen::Settings settings;
        std::string error;
        EXPECT_FALSE(levelgen::parseSeedText(text, settings, error)) << text;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST(LevelGen, TheFileReadsBackIntoTheSameGridWithTheLevelsPictures) {
    const levelgen::Settings settings = settingsFrom("pictures 3\narc 2\nenemy-pair 2\nposts 1\n");
    const std::vector<int32_t> grid = levelgen::generateGrid(settings);
    LevelFileData data;
    std::vector<int32_t> read(GridCells, Empty);
    parseLevelText(levelgen::levelFileText(settings, grid), data, read.data());
    EXPECT_EQ(read, grid);
    EXPECT_EQ(data.backgroundPath, "Niveaux/niveau-3/fond.png");
    EXPECT_EQ(data.tile1Path, "Niveaux/niveau-3/tile1.png");
    EXPECT_FALSE(data.hasLimit);  // the build adds it once the player model has played
    for (int32_t code : {Tile0, Bonus, Enemy, Tile1}) {
        EXPECT_NE(std::count(grid.begin(), grid.end(), code), 0) << code;
    }
}

TEST(LevelGen, TheLevelEndsWhereItsGroundEnds) {
    levelgen::Summary summary;
    const std::vector<int32_t> grid =
        levelgen::generateGrid(settingsFrom("gap 1\nstairs 2\n"), &summary);
    EXPECT_EQ(lastGroundColumn(grid.data()), summary.lastColumn);
    ASSERT_GE(summary.blocks.size(), 4u);
    EXPECT_EQ(summary.blocks.front().name, "start");
    EXPECT_EQ(summary.blocks.back().name, "end");
    EXPECT_EQ(summary.blocks.back().last, summary.lastColumn);
    // Whichever way the level begins, the hero lands on the start and runs.
    for (SpaceInput first : {SpaceInput::Nothing, SpaceInput::Release}) {
        std::vector<SpaceInput> inputs(60, SpaceInput::Nothing);
        inputs.front() = first;
        const std::vector<RunFrame> run = replayRun(grid.data(), inputs);
        ASSERT_EQ(run.size(), inputs.size());
        EXPECT_EQ(run.back().row, 39);
    }
    // Running off the end, the hero falls out.
    SearchOptions options;
    options.lastColumn = std::min(GridColumns - 1, summary.lastColumn + 300);
    options.airJumps = false;
    EXPECT_FALSE(searchLevel(grid.data(), options).finishable);
}

TEST(LevelGen, EveryBlockAtEveryDifficultyCanBeCrossedWithoutJumpsInMidAir) {
    for (const std::string& name : levelgen::blockNames()) {
        for (int32_t difficulty = 1; difficulty <= 5; ++difficulty) {
            const std::string block = name + " " + std::to_string(difficulty);
            const std::vector<int32_t> grid =
                levelgen::generateGrid(settingsFrom(block + "\nflat 1\n" + block + "\n"));
            SearchOptions options;
            options.lastColumn = lastGroundColumn(grid.data());
            options.airJumps = false;
            const SearchResult result = searchLevel(grid.data(), options);
            EXPECT_TRUE(result.finishable)
                << block << " stops at column " << result.framesSurvived + HeroColumnOffset;
        }
    }
}
