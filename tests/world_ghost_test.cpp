// G goes round the record's ghost, the world record's and none when the
// game has a world board; the world record's run races from the file kept
// for it, checked on the level, and is drawn tinted.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/game.h"
#include "play_fixture.h"
#include "screens/replay_file.h"
#include "screens/settings.h"
#include "test_support.h"

using namespace play;

namespace {

void pressG(Game& game) {
    pushKey(SDLK_g, true);
    while (game.pollEvent()) {
        game.handlePlayEvent();
    }
}

TEST(WorldGhost, GGoesRoundThreeGhostsWithAServerAndTwoWithout) {
    const struct {
        const char* settings;
        const char* round;  // the "fantome" values after each press, from 1
    } cases[] = {
        {"fantome 1\nserveur http://127.0.0.1:9\n", "2012"},
        {"fantome 1\n", "0101"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        TempDir dir;
        writeFile(SettingsPath, c.settings);
        std::unique_ptr<Game> game = startedGame({levelText(400)});
        game->startGame(0);
        game->running = true;
        std::string round;
        for (int press = 0; press < 4; ++press) {
            pressG(*game);
            const Settings kept = readSettings();
            round += !kept.ghostShown ? '0' : kept.worldGhost ? '2' : '1';
        }
        EXPECT_EQ(round, c.round);
    }
}

TEST(WorldGhost, TheKeptWorldRecordRacesOnlyOnTheLevelItWasPlayedOn) {
    TempDir dir;
    writeFile(SettingsPath, "fantome 2\nserveur http://127.0.0.1:9\n");
    const std::string levelFile = levelText(400, {{70, WaistRow, FileBonus}});
    std::unique_ptr<Game> game = startedGame({levelFile});
    game->startGame(0);
    drawFramesUntilLevelEnds(*game);
    pushKey(SDLK_ESCAPE);
    game->showLevelEnd();
    const std::string run = readFile(replayFileName(0));
    ASSERT_NE(run, "");
    writeFile("Save/fantome-monde-0.rpl", run);

    game->startGame(0);
    EXPECT_TRUE(game->worldGhostChosen);
    ASSERT_NE(game->worldGhost.runner(), nullptr);

    // Another version of the level: the kept run is no ghost for it.
    writeFile("Niveaux/test-0.lvl", levelFile + "\n");
    game->startGame(0);
    EXPECT_EQ(game->worldGhost.runner(), nullptr);
}

}  // namespace
