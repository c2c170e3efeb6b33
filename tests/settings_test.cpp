// The ghost's G key and the pace's V key, remembered between runs in the
// settings file.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/game.h"
#include "play_fixture.h"
#include "screens/settings.h"
#include "test_support.h"

using namespace play;

namespace {

TEST(Settings, GAndVSurviveARestartAndADamagedLineMeansTheDefault) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    TempDir dir;
    writeCommonData();
    writeFile("Niveaux/test-0.lvl", levelText(200));
    auto game = std::make_unique<Game>(GameFlow::StartupOnly);
    ASSERT_FALSE(game->startupFailed);
    EXPECT_TRUE(game->ghostShown);  // no settings file yet
    game->levelFiles[0] = "Niveaux/test-0.lvl";
    game->startGame(0);
    game->running = true;
    pushKey(SDLK_g, true);
    while (game->pollEvent()) {
        game->handlePlayEvent();
    }
    EXPECT_FALSE(game->ghostShown);
    EXPECT_EQ(readFile(SettingsPath), "fantome 0\nallure 100\n");
    // V in the level menu goes round the paces, slower each time.
    for (const int32_t expected : {90, 80, 70, 60, 50, 100, 90, 80, 70}) {
        pushKey(SDLK_v, true);
        pushKey(SDLK_ESCAPE, true);
        game->showLevelMenu();
        EXPECT_EQ(game->pace, expected);
    }
    game.reset();
    game = std::make_unique<Game>(GameFlow::StartupOnly);
    EXPECT_FALSE(game->ghostShown);
    EXPECT_EQ(game->pace, 70);
    game.reset();

    const struct {
        std::string text;
        bool shown;
        int32_t pace;
    } files[] = {
        {"fantome 1\nallure 50\n", true, 50},
        {"# mine\r\nautre 3\nfantome 0\r\nallure 90\r\n", false, 90},
        {"fantome 2\nallure 75\n", true, 100},
        {"fantome 0 1\nallure 70%\n", true, 100},
        {"fantome\nallure\n", true, 100},
        {"allure 60 1\nallure -60\n", true, 100},
        {std::string("fantome 0\0\xff", 11), true, 100},
        {"", true, 100},
    };
    for (const auto& file : files) {
        writeFile(SettingsPath, file.text);
        EXPECT_EQ(readSettings().ghostShown, file.shown) << file.text;
        EXPECT_EQ(readSettings().pace, file.pace) << file.text;
    }
    std::filesystem::remove(SettingsPath);
    std::filesystem::create_directory(SettingsPath);
    EXPECT_TRUE(readSettings().ghostShown);
}

}  // namespace
