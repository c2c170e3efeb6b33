// The ghost's G key, remembered between runs in the settings file.

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

TEST(Settings, GChoiceSurvivesARestartAndADamagedFileMeansShown) {
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
    EXPECT_EQ(readFile(SettingsPath), "fantome 0\n");
    game.reset();
    game = std::make_unique<Game>(GameFlow::StartupOnly);
    EXPECT_FALSE(game->ghostShown);
    game.reset();

    const struct {
        std::string text;
        bool shown;
    } files[] = {
        {"fantome 1\n", true},
        {"# mine\r\nautre 3\nfantome 0\r\n", false},
        {"fantome 2\n", true},
        {"fantome 0 1\n", true},
        {"fantome\n", true},
        {std::string("fantome 0\0\xff", 11), true},
        {"", true},
    };
    for (const auto& file : files) {
        writeFile(SettingsPath, file.text);
        EXPECT_EQ(readSettings().ghostShown, file.shown) << file.text;
    }
    std::filesystem::remove(SettingsPath);
    std::filesystem::create_directory(SettingsPath);
    EXPECT_TRUE(readSettings().ghostShown);
}

}  // namespace
