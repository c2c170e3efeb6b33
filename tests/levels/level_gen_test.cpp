#include "level_generator.h"
#include "level_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "level_search.h"
#include "player_model.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

levelgen::Settings settingsFrom(const std::string& seedText) {
    levelgen::Settings settings;
    std::string error;
    EXPECT_TRUE(levelgen::parseSeedText(seedText, settings, error)) << error;
    return settings;
}

// The runs of one row across the first block of `summary` past the start:
// each run's code (Empty or not) and its length in columns.
std::vector<std::pair<bool, int32_t>> runsAlong(const std::vector<int32_t>& grid,
                                                const levelgen::Summary& summary, int32_t row) {
    std::vector<std::pair<bool, int32_t>> runs;
    const levelgen::BlockSpan& block = summary.blocks.at(1);
    for (int32_t column = block.first; column <= block.last; ++column) {
        const bool solid = cellAt(grid.data(), column, row) != Empty;
        if (runs.empty() || runs.back().first != solid) {
            runs.emplace_back(solid, 0);
        }
        ++runs.back().second;
    }
    return runs;
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

// The blocks that came after the first eleven: what each lays at each
// difficulty, and that a practised player (the model, at 60 ms) never finishes
// a harder one more often.
TEST(LevelGen, TheNewBlocksLayTheirShapeAndGetNoEasierAsTheirDifficultyRises) {
    using Runs = std::vector<std::pair<bool, int32_t>>;
    struct Case {
        const char* name;
        // Checks the first of the two blocks laid from ground at row 40.
        void (*shape)(const std::vector<int32_t>& grid, const levelgen::Summary& summary,
                      int32_t d);
    };
    const Case cases[] = {
        {"float",
         [](const std::vector<int32_t>& grid, const levelgen::Summary& summary, int32_t d) {
             // Gaps past the top of a held jump (about 41 columns) and well
             // within its float (about 120), islands of 30 - 4d columns.
             const Runs runs = runsAlong(grid, summary, 40);
             ASSERT_EQ(runs.size(), static_cast<std::size_t>(2 * (2 + (d + 1) / 2) + 2));
             for (std::size_t i = 0; i + 1 < runs.size(); ++i) {
                 if (runs[i].first) {
                     EXPECT_EQ(runs[i].second, 30 - 4 * d);
                 } else {
                     EXPECT_GE(runs[i].second, 42);
                     EXPECT_LE(runs[i].second, 40 + 2 * d + 2);
                 }
             }
         }},
        {"stepping-stones",
         [](const std::vector<int32_t>& grid, const levelgen::Summary& summary, int32_t d) {
             // Posts of 8 - d columns at the ground's height, 3 to 6 apart,
             // over a pit longer than a held jump floats.
             const Runs runs = runsAlong(grid, summary, 40);
             int32_t pit = 0;
             for (std::size_t i = 0; i + 1 < runs.size(); ++i) {
                 EXPECT_EQ(runs[i].second, runs[i].first ? 8 - d : 3 + (d + 1) / 2) << i;
                 pit += runs[i].second;
             }
             EXPECT_GE(pit, 150);
             EXPECT_EQ(cellAt(grid.data(), summary.blocks[1].first + 3 + (d + 1) / 2, 40), Tile1);
         }},
        {"bonus-pit",
         [](const std::vector<int32_t>& grid, const levelgen::Summary& summary, int32_t d) {
             // A gap a held jump floats over, a post deeper in it, and a bonus
             // at a runner's waist over each of the post's columns, and nowhere else.
             const int32_t top = 40 + 2 + d / 2;
             const Runs post = runsAlong(grid, summary, top);
             ASSERT_EQ(post.size(), 3u);  // the pit, the post, the pit below the far ground
             EXPECT_EQ(post[1].second, 16 - d);
             const Runs bonuses = runsAlong(grid, summary, top - 3);
             EXPECT_TRUE(std::equal(post.begin(), post.begin() + 2, bonuses.begin()));
             const Runs ground = runsAlong(grid, summary, 40);
             EXPECT_LE(ground[0].second, 100);
             EXPECT_EQ(std::count(grid.begin(), grid.end(), Bonus), 2 * (16 - d));
         }},
    };
    for (const Case& c : cases) {
        double before = 1.0;
        for (int32_t d = 1; d <= 5; ++d) {
            const std::string block = std::string(c.name) + " " + std::to_string(d);
            SCOPED_TRACE(block);
            levelgen::Summary summary;
            const std::vector<int32_t> grid =
                levelgen::generateGrid(settingsFrom("seed 3\n" + block + " x2\n"), &summary);
            c.shape(grid, summary, d);
            const SurvivalTable table(grid.data());
            const PlayerModel model(grid.data(), table, ModelOptions{});
            const double finish = summarize(playMany(model, 5, 200, 2), 0).finishShare;
            EXPECT_LE(finish, before);
            before = finish;
        }
    }
}
