// R in the level menu plays the highlighted level's record run, and any key,
// button or tap goes back to the menu.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "actors/replay_runner.h"
#include "app/game.h"
#include "play_fixture.h"
#include "screens/records.h"
#include "screens/replay_file.h"
#include "screens/replay_loader.h"
#include "test_support.h"
#include "util/fingerprint.h"
#include "world/level_file.h"

using namespace play;

namespace {

class WatchRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A bonus out of reach without a jump, and a run that jumps for it.
        game = startedGame({levelText(150, {{90, WaistRow - 8, FileBonus}}), levelText(150)});
        const std::string level = readFile("Niveaux/test-0.lvl");
        parseLevelText(level, data, grid.data());
        run.levelFingerprint = fingerprintOf(level);
        run.events = {{1, false}, {52, true}, {62, false}};
        run.frames = MaxReplayFrames;
        ReplayRunner runner(grid.data(), &run);
        while (runner.step()) {
        }
        run.frames = runner.frame;
        run.score = runner.score;
        ASSERT_TRUE(writeRecordFile(0, run.score));
        ASSERT_TRUE(writeReplayFile(0, run));
    }

    // The level menu with `keys` pushed, run until it leaves.
    void menuWith(const std::vector<SDLKey>& keys) {
        for (SDLKey key : keys) {
            pushKey(key, true);
        }
        game->nextScreen = Screen::LevelMenu;
        game->runNextScreen();
    }

    TempDir dir;
    std::unique_ptr<Game> game;
    std::vector<int32_t> grid = std::vector<int32_t>(GridCells, Empty);
    LevelFileData data;
    ReplayData run;
};

TEST_F(WatchRecordTest, RPlaysTheRecordRunWithItsScoreAndAnyKeyEndsIt) {
    // No replay for level 1: R does nothing, and Escape leaves the menu.
    menuWith({SDLK_RIGHT, SDLK_r, SDLK_ESCAPE});
    EXPECT_EQ(game->nextScreen, Screen::End);

    menuWith({SDLK_r});
    ASSERT_EQ(game->nextScreen, Screen::WatchRecord);
    ASSERT_EQ(game->nextLevelIndex, 0);
    ASSERT_TRUE(game->beginWatch(0));
    ReplayRunner runner(grid.data(), &run);
    int32_t top = 290;
    while (game->running && runner.step()) {
        game->fillWhite();
        game->drawWatchFrame();
        ASSERT_EQ(game->level->score, runner.score) << "frame " << runner.frame;
        ASSERT_EQ(game->body->y, runner.body.y) << "frame " << runner.frame;
        top = std::min(top, game->body->y);
    }
    EXPECT_TRUE(game->levelEnded);
    EXPECT_EQ(game->playedFrames, run.frames);
    EXPECT_LT(top, 290 - 50);  // the run did jump

    // Started with R and ended by a key, started with the pad's Y and ended
    // by its A: back to the menu, on that level.
    for (const bool pad : {false, true}) {
        pad ? pushButton(3, true) : pushKey(SDLK_r, true);
        menuWith({});
        ASSERT_EQ(game->nextScreen, Screen::WatchRecord);
        pad ? pushButton(0, true) : pushKey(SDLK_a, true);
        game->runNextScreen();
        EXPECT_EQ(game->nextScreen, Screen::LevelMenu);
        EXPECT_EQ(game->levelMenuFirstSelection, 0);
        EXPECT_LT(game->playedFrames, 30);
    }
}

}  // namespace
