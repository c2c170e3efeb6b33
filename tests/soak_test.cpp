// Two hundred plays of a level in one process, with the game's real
// pictures, sounds, font and animations: every start of a game loads them
// all again and every end releases them, so a leak of any of them, or of a
// file left open, shows up here.

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/game.h"
#include "play_fixture.h"
#include "test_support.h"

using namespace play;

namespace {

namespace fs = std::filesystem;

constexpr int Plays = 200;
constexpr int WarmUpPlays = 5;
// The floor ends a few columns past the hero: each play lasts a few dozen
// frames, in which the hero takes a bonus and an enemy is drawn (out of the
// hero's way: a hit pauses the game for 200 ms).
constexpr int FloorEnd = 40;

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

int openFileCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif

class SoakTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        const fs::path shipped = MOSSLANCE_GAME_DIR;
        if (!fs::exists(shipped / "Niveaux" / "bonus.png") ||
            !fs::exists(shipped / "Music" / "Fond.mp3")) {
            GTEST_SKIP() << "the data tree was not built in " << shipped;
        }
        // The shipped pictures, sounds and font, with a story, a saved game
        // and a level of our own.
        for (const char* name : {"Enemies", "Music", "Niveaux", "Player", "Title", "shark.ttf"}) {
            fs::create_symlink(shipped / name, name);
        }
        writeFile("Story/game.story", "0 soak.lvl\n");
        writeFile("Save/save.sv", "1\n");
        std::string level = levelText(FloorEnd, {{BodyScreenColumn + 5, WaistRow, FileBonus},
                                                 {BodyScreenColumn + 20, 10, FileEnemy}});
        // Its small pictures only: the full-screen background and overlay
        // would double the time of a play and add nothing to what is tested.
        level =
            "img 3 Niveaux/niveau-1/extra.png\n"
            "tile 0 Niveaux/niveau-1/tile0.png\ntile 1 Niveaux/niveau-1/tile1.png\n" +
            level;
        writeFile("soak.lvl", level);
    }

    TempDir dir;
};

TEST_F(SoakTest, TwoHundredPlaysKeepMemoryAndOpenFilesFlat) {
    Game game(GameFlow::StartupOnly);
    ASSERT_FALSE(game.startupFailed);
    game.runNextScreen();  // loadStory
    game.runNextScreen();  // loadRecords
    ASSERT_EQ(game.levelFiles[0], "soak.lvl");
    game.nextScreen = Screen::StartGame;
    game.nextLevelIndex = 0;

    long residentAfterWarmUp = 0;
    int filesAfterWarmUp = 0;
    int framesOfFirstPlay = 0;
    for (int play = 0; play < Plays; ++play) {
        SCOPED_TRACE(testing::Message() << "play " << play);
        game.runNextScreen();  // startGame
        ASSERT_EQ(game.nextScreen, Screen::PlayLevel);
        ASSERT_TRUE(game.level->tile0Image != nullptr && game.hero->frames[1] != nullptr);
        const int frames = drawFramesUntilLevelEnds(game, 1000);
        ASSERT_TRUE(game.levelEnded);
        if (play == 0) {
            framesOfFirstPlay = frames;
        }
        ASSERT_EQ(frames, framesOfFirstPlay);  // every play is the same play

        game.nextScreen = Screen::LevelEnd;
        pushKey(SDLK_SPACE);
        game.runNextScreen();  // showLevelEnd, left at once: play again
        ASSERT_EQ(game.nextScreen, Screen::StartGame);
        ASSERT_TRUE(game.recordTextSurface != nullptr);

        if (play + 1 == WarmUpPlays) {
            residentAfterWarmUp = residentBytes();
            filesAfterWarmUp = openFileCount();
        }
    }
    EXPECT_EQ(openFileCount(), filesAfterWarmUp);
    if (AddressSanitizer) {
        return;  // its quarantine holds freed memory back; it reports leaks itself
    }
    const long growth = residentBytes() - residentAfterWarmUp;
    RecordProperty("resident_growth_bytes", static_cast<int>(growth));
    std::cout << "resident memory after " << WarmUpPlays << " plays: " << residentAfterWarmUp
              << " bytes, grown by " << growth << " bytes over " << Plays - WarmUpPlays << " more"
              << std::endl;
    EXPECT_LE(growth, 1024 * 1024);
}

}  // namespace
