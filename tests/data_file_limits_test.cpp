// Every data file the game reads may name /dev/zero (or anything else that
// never ends): each reads as a file that cannot be opened, with its own
// message, and the game goes on.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "actors/hero.h"
#include "app/game.h"
#include "gfx/animation.h"
#include "menu_fixture.h"
#include "test_support.h"
#include "world/level.h"

namespace fs = std::filesystem;

namespace {

std::string notFound(const std::string& what) {
    return "\n\nImpossible d'ouvrir le fichier " + what + " !! 404 Not found !\n\n";
}

TEST(DataFileLimits, AnEndlessDataFileReadsAsOneThatCannotBeOpened) {
    menu_fixture::StartedGame started;
    Game& game = started.game;
    for (const char* folder : {"Story", "Save", "Enemies"}) {
        fs::create_directories(folder);
    }
    for (const char* path : {"Story/game.story", "Save/records-0.rcd", "zero.lvl", "zero.imga",
                             "zero.hr", "Enemies/ennemi-01.imga"}) {
        fs::create_symlink("/dev/zero", path);
    }
    EXPECT_EQ(captureStdout([&] { game.loadStory(); }), notFound("Story/game.story"));
    EXPECT_EQ(game.nextScreen, Screen::End);

    fs::remove("Story/game.story");
    writeFile("Story/game.story", "0 zero.lvl\n");
    fs::create_symlink("/dev/zero", "Save/save.sv");
    EXPECT_EQ(captureStdout([&] { game.loadStory(); }), "");  // ends quietly
    EXPECT_EQ(game.nextScreen, Screen::End);

    game.levelCount = 1;
    game.records[0] = 0;
    EXPECT_EQ(captureStdout([&] { game.loadRecords(); }), notFound("Save/records.rcd"));
    EXPECT_EQ(game.records[0], 0);

    Camera camera;
    std::unique_ptr<Level> level;
    EXPECT_EQ(captureStdout([&] { level = std::make_unique<Level>("zero.lvl", &camera); }),
              notFound("Hero Enemies/ennemi-01.imga") + notFound("niveau  zero.lvl"));
    EXPECT_EQ(level->background, nullptr);
    EXPECT_EQ(captureStdout([] { Animation("zero.imga", 0.35); }), notFound("Hero zero.imga"));
    EXPECT_EQ(captureStdout([] { Hero("zero.hr", "machin"); }), notFound("Hero zero.hr"));
}

}  // namespace
