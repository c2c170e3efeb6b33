#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/game.h"
#include "play_fixture.h"
#include "screens/records.h"
#include "screens/replay_file.h"
#include "test_support.h"

using namespace play;

namespace {

constexpr int FloorEnd = 259;

class LevelEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        writeCommonData();
        writeFile("Niveaux/test-0.lvl", levelText(FloorEnd));
    }

    void makeGame() {
        game = std::make_unique<Game>(GameFlow::StartupOnly);
        ASSERT_FALSE(game->startupFailed);
        for (std::string& name : game->levelFiles) {
            name = "Niveaux/test-0.lvl";
        }
    }

    // A level ended with `score` on level `levelIndex`, the end-of-level
    // screen left at once with SPACE.
    void endLevelWithScore(int32_t levelIndex, int32_t score) {
        game->startGame(levelIndex);
        ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
        game->level->score = score;
        pushKey(SDLK_SPACE);
        game->showLevelEnd();
    }

    TempDir dir;
    std::unique_ptr<Game> game;
};

TEST_F(LevelEndTest, APlayedLevelSetsTheRecordAndSpacePlaysItAgain) {
    makeGame();
    game->startGame(0);
    const int frames = drawFramesUntilLevelEnds(*game);
    ASSERT_EQ(frames, framesToFallOut(FloorEnd, 10));
    ASSERT_EQ(game->level->score, 250);
    pushKey(SDLK_SPACE);

    game->showLevelEnd();

    EXPECT_EQ(readFile("Save/records-0.rcd"), "62500");
    EXPECT_EQ(game->records[0], 250);
    EXPECT_STREQ(game->recordText, "250");
    EXPECT_TRUE(game->endAnimation != nullptr);
    EXPECT_TRUE(game->menuConfirmed);
    EXPECT_EQ(game->endChoice, 3);
    EXPECT_EQ(game->nextScreen, Screen::StartGame);
    EXPECT_EQ(game->nextLevelIndex, 0);

    game->runNextScreen();
    EXPECT_EQ(game->nextScreen, Screen::PlayLevel);
    EXPECT_EQ(game->level->score, 0);
    EXPECT_EQ(game->records[0], 250);
}

// A score beats the record this game holds and the one on file, read again
// at the end of the level: another window may have raised it since (and an
// earlier write of this game may have failed, leaving the file lower).
TEST_F(LevelEndTest, OnlyAScoreBetterThanTheRecordOnFileIsARecord) {
    struct Case {
        int32_t known;   // in this game
        int32_t onFile;  // -1: no records file
        int32_t score;
        int32_t recordAfter;
        bool written;
    };
    makeGame();
    for (const Case& c : {Case{250, 250, 250, 250, false}, Case{250, 250, 100, 250, false},
                          Case{0, -1, -5, 0, false}, Case{0, -1, 1, 1, true},
                          Case{250, 250, 251, 251, true}, Case{1001, 1001, 46341, 46341, true},
                          Case{250, 418, 300, 418, false}, Case{500, 200, 300, 500, false}}) {
        SCOPED_TRACE(testing::Message()
                     << "record " << c.known << ", on file " << c.onFile << ", score " << c.score);
        std::filesystem::remove("Save/records-0.rcd");
        if (c.onFile >= 0) {
            writeFile("Save/records-0.rcd", recordSquareText(c.onFile));
        }
        game->records[0] = c.known;

        endLevelWithScore(0, c.score);

        EXPECT_EQ(game->records[0], c.recordAfter);
        EXPECT_EQ(game->recordText, std::to_string(c.recordAfter));
        const int32_t filed = c.written ? c.score : c.onFile;
        EXPECT_EQ(fileExists("Save/records-0.rcd"), filed >= 0);
        if (filed >= 0) {
            EXPECT_EQ(readFile("Save/records-0.rcd"), recordSquareText(filed));
        }
    }
}

TEST_F(LevelEndTest, AnUnwritableRecordsFileStillRaisesTheRecordAndSaysSo) {
    makeGame();
    writeFile("Save/records-0.rcd/keep", "in the way");

    const std::string said = captureStdout([&] { endLevelWithScore(0, 250); });

    EXPECT_EQ(said,
              "Impossible d'enregistrer le record 250 du niveau 1 dans Save/records-0.rcd : il "
              "sera perdu en quittant le jeu\n");
    EXPECT_EQ(game->records[0], 250);
    EXPECT_STREQ(game->recordText, "250");
    EXPECT_TRUE(game->recordUnsaved);  // the end of the level says so too
    EXPECT_EQ(readFile("Save/records-0.rcd/keep"), "in the way");
    EXPECT_EQ(game->nextScreen, Screen::StartGame);
}

// A level rewritten since its record was set: the old record and its run are
// kept apart as the old version's, and the new version's record starts anew.
TEST_F(LevelEndTest, ARecordOfAnEarlierVersionOfTheLevelIsKeptApart) {
    makeGame();
    writeFile("Save/records-0.rcd", recordSquareText(500));
    const std::string oldRun = replayText(ReplayData{0x1, 500, 60, {{3, true}}});
    writeFile("Save/replay-0.rpl", oldRun);
    game->records[0] = 500;

    const std::string said = captureStdout([&] { endLevelWithScore(0, 250); });

    EXPECT_EQ(said,
              "Le record 500 du niveau 1 a ete fait sur une autre version du niveau : garde a "
              "part dans Save/records-0-ancien.rcd (ancienne version)\n");
    EXPECT_EQ(readFile("Save/records-0-ancien.rcd"), recordSquareText(500));
    EXPECT_EQ(readFile("Save/replay-0-ancien.rpl"), oldRun);
    EXPECT_EQ(readFile("Save/records-0.rcd"), recordSquareText(250));
    EXPECT_EQ(game->records[0], 250);
    EXPECT_STREQ(game->recordText, "250");
    EXPECT_EQ(game->oldVersionRecord, 500);
    // The new record's run is of this version: nothing more is set aside.
    EXPECT_EQ(captureStdout([&] { endLevelWithScore(0, 100); }), "");
    EXPECT_EQ(game->records[0], 250);
}

TEST_F(LevelEndTest, ALevelWithoutARecordSlotShowsItsScore) {
    writeFile("Save/save.sv", "12\n");
    makeGame();
    game->levelCount = 12;
    game->records.fill(7);

    endLevelWithScore(10, 250);

    EXPECT_STREQ(game->recordText, "250");
    for (int32_t record : game->records) {
        EXPECT_EQ(record, 7);
    }
    EXPECT_FALSE(fileExists("Save/records-10.rcd"));
    EXPECT_EQ(game->nextScreen, Screen::StartGame);
    EXPECT_EQ(game->nextLevelIndex, 10);
}

TEST_F(LevelEndTest, KeysChooseBetweenPlayingAgainAndTheTitle) {
    struct Case {
        std::vector<SDLKey> keys;
        bool quit;
        Screen next;
        int32_t endChoice;
    };
    const std::vector<Case> cases = {
        {{SDLK_SPACE}, false, Screen::StartGame, 3},
        {{SDLK_DOWN, SDLK_SPACE}, false, Screen::TitleMenu, 4},
        {{SDLK_DOWN, SDLK_DOWN, SDLK_UP, SDLK_SPACE}, false, Screen::StartGame, 3},
        {{SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT, SDLK_SPACE}, false, Screen::TitleMenu, 4},
        {{SDLK_DOWN, SDLK_ESCAPE}, false, Screen::End, 4},
        {{SDLK_DOWN}, true, Screen::End, 4},
    };
    makeGame();
    game->startGame(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keys.size() << " keys, quit " << c.quit);
        for (SDLKey key : c.keys) {
            pushKey(key);
        }
        if (c.quit) {
            pushQuit();
        }
        game->showLevelEnd();
        EXPECT_EQ(game->nextScreen, c.next);
        EXPECT_EQ(game->endChoice, c.endChoice);
        EXPECT_EQ(game->menuConfirmed, c.next != Screen::End);
        if (c.next == Screen::StartGame) {
            EXPECT_EQ(game->nextLevelIndex, 1);
        }
    }
}

TEST_F(LevelEndTest, UpAndDownPlayTheMoveSoundOnEveryPress) {
    constexpr int moveSeconds = 4;
    constexpr int confirmSeconds = 8;
    writeSilentSound("Music/menu.mp3", moveSeconds);
    writeSilentSound("Music/valide.mp3", confirmSeconds);
    makeGame();
    ASSERT_TRUE(game->menuSample && game->confirmSample);
    game->startGame(0);
    // Up on the first choice and down on the last still sound; other keys not.
    for (SDLKey key : {SDLK_UP, SDLK_DOWN, SDLK_DOWN, SDLK_LEFT, SDLK_RETURN, SDLK_SPACE}) {
        pushKey(key);
    }

    game->showLevelEnd();

    EXPECT_EQ(soundsPlaying(moveSeconds), 3);
    EXPECT_EQ(soundsPlaying(confirmSeconds), 1);
    EXPECT_EQ(game->nextScreen, Screen::TitleMenu);
}

TEST_F(LevelEndTest, TheFrameShowsTheChoiceAndTheRecord) {
    writeSolidImage("Title/game-over-01.png", 720, 480, 0x00ff00);
    writeSolidImage("Title/game-over-02.png", 720, 480, 0x0000ff);
    makeGame();

    // Without "shark.ttf" there is no record text, and nothing breaks.
    endLevelWithScore(0, 250);
    EXPECT_TRUE(game->recordTextSurface == nullptr);
    game->fillWhite();
    game->drawLevelEndFrame();
    EXPECT_EQ(pixelAt(game->screen, 500, 250), 0x00ff00u);

    const char* const fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!fileExists(fontPath)) {
        GTEST_SKIP() << "no font to render the record with";
    }
    std::filesystem::copy_file(fontPath, "shark.ttf");
    game = nullptr;
    makeGame();
    endLevelWithScore(0, 300);
    ASSERT_TRUE(game->recordTextSurface != nullptr);
    const int width = game->recordTextSurface->w;
    const int height = game->recordTextSurface->h;
    for (int32_t choice : {3, 4}) {
        game->endChoice = choice;
        game->fillWhite();
        game->drawLevelEndFrame();
        const uint32_t background = choice == 3 ? 0x00ff00u : 0x0000ffu;
        EXPECT_EQ(pixelAt(game->screen, 100, 100), background);
        int dark = 0;
        for (int y = 225; y < 225 + height && y < 480; ++y) {
            for (int x = 450; x < 450 + width && x < 720; ++x) {
                dark += pixelAt(game->screen, x, y) == 0 ? 1 : 0;
            }
        }
        EXPECT_GT(dark, 50) << "the record text is drawn at (450, 225)";
        EXPECT_EQ(pixelAt(game->screen, 440, 220), background);
    }
}

// Resident memory of this process, in bytes.
long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif
#else
constexpr bool AddressSanitizer = false;
#endif

TEST_F(LevelEndTest, ManyLevelsInOneRunKeepMemoryFlatAndNeverNest) {
    constexpr int shortFloor = 40;
    writeFile("Niveaux/test-1.lvl", levelText(shortFloor));
    makeGame();
    game->levelFiles[1] = "Niveaux/test-1.lvl";
    const int framesPerLevel = framesToFallOut(shortFloor, 10);
    game->nextScreen = Screen::StartGame;
    game->nextLevelIndex = 1;

    long residentAfterWarmUp = 0;
    for (int cycle = 0; cycle < 100; ++cycle) {
        SCOPED_TRACE(testing::Message() << "cycle " << cycle);
        // Each step runs one screen and comes back: none calls the next.
        game->runNextScreen();
        ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
        ASSERT_EQ(game->camera.column, 0);
        game->running = true;
        game->levelEnded = false;
        for (int frame = 1; frame < framesPerLevel; ++frame) {
            game->fillWhite();
            game->drawPlayFrame();
        }
        ASSERT_FALSE(game->levelEnded);

        game->runNextScreen();  // the real loop draws the last frame
        ASSERT_EQ(game->nextScreen, Screen::LevelEnd);
        ASSERT_EQ(game->level->score, framesPerLevel);

        pushKey(SDLK_SPACE);
        game->runNextScreen();
        ASSERT_EQ(game->nextScreen, Screen::StartGame);
        ASSERT_EQ(game->nextLevelIndex, 1);
        ASSERT_EQ(game->level->score, framesPerLevel);  // not started yet

        if (cycle == 4) {
            residentAfterWarmUp = residentBytes();
        }
    }
    EXPECT_EQ(game->records[1], framesPerLevel);
    EXPECT_EQ(readFile("Save/records-1.rcd"), std::to_string(framesPerLevel * framesPerLevel));
    if (AddressSanitizer) {
        // Its quarantine holds freed levels back; leaks are its own to report.
        return;
    }
    const long growth = residentBytes() - residentAfterWarmUp;
    RecordProperty("resident_growth_bytes", static_cast<int>(growth));
    // One leaked level alone is over 3 MB.
    EXPECT_LT(growth, 2 * 1024 * 1024) << "grew by " << growth << " bytes over 95 levels";
}

}  // namespace
