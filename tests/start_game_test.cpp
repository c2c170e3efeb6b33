#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "app/game.h"
#include "play_fixture.h"
#include "test_support.h"

using namespace play;

namespace {

class StartGameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        writeCommonData();
        writeFile("Niveaux/test-0.lvl", levelText(259, {{40, WaistRow, FileBonus}}));
        game = std::make_unique<Game>(GameFlow::StartupOnly);
        ASSERT_FALSE(game->startupFailed);
        game->levelFiles[0] = "Niveaux/test-0.lvl";
    }

    TempDir dir;
    std::unique_ptr<Game> game;
};

TEST_F(StartGameTest, RewritesTheSavedGameAndBuildsAFreshPlay) {
    writeFile("Save/save.sv", "2 and whatever followed\n");
    game->camera = Camera{5, 6, 7, 8};
    game->nowTicks = 1234;
    game->lastFrameTicks = 1200;

    game->startGame(0);

    EXPECT_EQ(readFile("Save/save.sv"), "2\n");
    EXPECT_FALSE(fileExists("Save/save.sv.tmp"));
    EXPECT_EQ(game->nextScreen, Screen::PlayLevel);
    EXPECT_EQ(game->currentLevel, 0);
    EXPECT_EQ(game->camera.column, 0);
    EXPECT_EQ(game->camera.row, 0);
    EXPECT_EQ(game->camera.offsetX, 0);
    EXPECT_EQ(game->camera.offsetY, 0);
    EXPECT_EQ(game->nowTicks, 0);
    EXPECT_EQ(game->lastFrameTicks, 0);
    ASSERT_TRUE(game->level && game->hero && game->body);
    EXPECT_EQ(game->level->levelPath, "Niveaux/test-0.lvl");
    EXPECT_EQ(game->level->camera, &game->camera);
    EXPECT_TRUE(game->level->cellsVisible);
    EXPECT_EQ(game->level->score, 0);
    EXPECT_EQ(game->level->grid[cellIndex(40, WaistRow)], Bonus);
    EXPECT_EQ(game->hero->name, "machin");
    EXPECT_EQ(game->hero->heroFilePath, "Player/hero.hr");
    EXPECT_EQ(game->hero->body, game->body.get());
    EXPECT_EQ(game->body->grid, game->level->grid.data());
    EXPECT_EQ(game->body->camera, &game->camera);
    EXPECT_EQ(game->body->y, 240);
}

// The identity of a file: a rewrite replaces it by a new one.
static ino_t inodeOf(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 ? info.st_ino : 0;
}

TEST_F(StartGameTest, LeavesASavedGameThatAlreadySaysTheLevelCountAsItIs) {
    writeFile("Save/save.sv", "2\n");
    const ino_t before = inodeOf("Save/save.sv");
    ASSERT_NE(before, 0u);

    game->startGame(0);
    EXPECT_EQ(readFile("Save/save.sv"), "2\n");
    EXPECT_EQ(inodeOf("Save/save.sv"), before);
    EXPECT_EQ(game->nextScreen, Screen::PlayLevel);

    // Only a line end apart is still different: written again.
    writeFile("Save/save.sv", "2");
    game->startGame(0);
    EXPECT_EQ(readFile("Save/save.sv"), "2\n");
}

TEST_F(StartGameTest, AnIndexOutOfRangeStillRewritesTheSavedGameThenEnds) {
    struct Case {
        int32_t levelCount;
        int32_t levelIndex;
    };
    // At the count, negative, and past the hundred level file names.
    for (const Case& c : {Case{3, 3}, Case{2, -1}, Case{150, 120}, Case{-4, 0}}) {
        SCOPED_TRACE(testing::Message() << c.levelCount << " levels, index " << c.levelIndex);
        writeFile("Save/save.sv", "9\n");
        game->levelCount = c.levelCount;
        game->nextScreen = Screen::StartGame;

        game->startGame(c.levelIndex);

        EXPECT_EQ(readFile("Save/save.sv"), std::to_string(c.levelCount) + "\n");
        EXPECT_EQ(game->nextScreen, Screen::End);
        EXPECT_FALSE(game->level || game->hero || game->body);
        EXPECT_EQ(game->currentLevel, 2);
    }
}

TEST_F(StartGameTest, AnUnwritableSavedGameIsLeftAsItWasAndTheLevelStarts) {
    std::filesystem::remove("Save/save.sv");
    writeFile("Save/save.sv/keep", "in the way");  // the name is taken by a folder

    game->startGame(0);

    EXPECT_EQ(game->nextScreen, Screen::PlayLevel);
    EXPECT_EQ(readFile("Save/save.sv/keep"), "in the way");
    EXPECT_FALSE(fileExists("Save/save.sv.tmp"));

    std::filesystem::remove_all("Save");
    game->startGame(0);
    EXPECT_EQ(game->nextScreen, Screen::PlayLevel);
    EXPECT_FALSE(fileExists("Save"));
}

TEST_F(StartGameTest, PlayingAgainRebuildsEverything) {
    game->startGame(0);
    game->records = {5, 6};
    const int frames = frameAtColumn(40) + 3;
    game->running = true;
    for (int frame = 0; frame < frames; ++frame) {
        game->fillWhite();
        game->drawPlayFrame();
    }
    ASSERT_EQ(game->level->grid[cellIndex(40, WaistRow)], Empty);
    ASSERT_EQ(game->level->score, frames + 50);
    game->level->scrollStep = 2;
    std::filesystem::remove("Save/save.sv");

    game->startGame(0);

    EXPECT_EQ(readFile("Save/save.sv"), "2\n");
    EXPECT_EQ(game->camera.column, 0);
    EXPECT_EQ(game->level->score, 0);
    EXPECT_EQ(game->level->scrollStep, 1);
    EXPECT_EQ(game->level->grid[cellIndex(40, WaistRow)], Bonus);
    EXPECT_EQ(game->hero->motion.motionState, MotionNew);
    EXPECT_EQ(game->hero->motion.verticalSpeed, 10.0);
    EXPECT_EQ(game->hero->body, game->body.get());
    EXPECT_EQ(game->body->grid, game->level->grid.data());
    EXPECT_EQ(game->body->y, 240);
    EXPECT_EQ(game->records[0], 5);
    EXPECT_EQ(game->records[1], 6);

    // The new play runs on the new objects (the sanitizers watch the old).
    game->fillWhite();
    game->drawPlayFrame();
    EXPECT_EQ(game->body->gridColumn, BodyScreenColumn + 1);
    EXPECT_EQ(game->level->score, 1);
}

}  // namespace
