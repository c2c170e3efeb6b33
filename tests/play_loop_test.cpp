#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "app/game.h"
#include "play_fixture.h"
#include "test_support.h"

using namespace play;

namespace {

class PlayLoopTest : public ::testing::Test {
  protected:
    // Starts level 0 from `levelFile` on a fresh game.
    void startLevel(const std::string& levelFile) {
        game = startedGame({levelFile});
        game->startGame(0);
        ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
        game->running = true;
    }

    void drawFrame() {
        game->fillWhite();
        game->drawPlayFrame();
    }

    // The first frame is due only once more than 30 ms have passed since SDL
    // started, and tests want it drawn in the first pass.
    static void letFirstFrameBeDue() {
        while (SDL_GetTicks() <= 40) {
            SDL_Delay(5);
        }
    }

    TempDir dir;
    std::unique_ptr<Game> game;
};

TEST_F(PlayLoopTest, WholeLevelScoresFramesBonusAndEnemy) {
    constexpr int floorEnd = 259;
    constexpr int bonusColumn = 100;
    constexpr int enemyColumn = 150;
    writeSolidImage("Enemies/degat.png", 40, 40, 0xff0000);
    startLevel(levelText(floorEnd,
                         {{bonusColumn, WaistRow, FileBonus}, {enemyColumn, WaistRow, FileEnemy}}));

    Level& level = *game->level;
    int frames = 0;
    while (!game->levelEnded && frames < 1000) {
        const auto before = std::chrono::steady_clock::now();
        drawFrame();
        ++frames;
        if (frames == frameAtColumn(bonusColumn)) {
            EXPECT_EQ(level.score, frames + 50);
            EXPECT_EQ(level.grid[cellIndex(bonusColumn, WaistRow)], Empty);
        }
        if (frames == frameAtColumn(enemyColumn)) {
            EXPECT_EQ(level.score, frames + 50 - 100);
            // 200 ms, as SDL counts them in whole milliseconds.
            EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(199));
            // The damage picture is drawn at the hero, 50 above its cell row.
            EXPECT_EQ(game->damageRect.x, 260);
            EXPECT_EQ(game->damageRect.y, StandingRow * 10 - 50);
            EXPECT_EQ(pixelAt(game->screen, 280, 260), 0xff0000u);
        } else if (frames < frameAtColumn(enemyColumn)) {
            EXPECT_EQ(pixelAt(game->screen, 280, 260), 0xffffffu);
        }
    }

    EXPECT_EQ(frames, framesToFallOut(floorEnd, 10));
    EXPECT_EQ(level.score, frames + 50 - 100);
    EXPECT_EQ(level.grid[cellIndex(enemyColumn, WaistRow)], Enemy);
    EXPECT_TRUE(game->levelEnded);
    EXPECT_FALSE(game->running);
}

TEST_F(PlayLoopTest, BonusIsTakenOnceAndAnEnemyCostsEveryFrame) {
    constexpr int bonusSeconds = 3;
    constexpr int damageSeconds = 5;
    writeSilentSound("Music/bonus.mp3", bonusSeconds);
    writeSilentSound("Music/degat.mp3", damageSeconds);
    startLevel(levelText(259));
    ASSERT_TRUE(game->bonusSample && game->damageSample);
    for (int frame = 0; frame < 6; ++frame) {
        drawFrame();
    }
    ASSERT_EQ(game->body->y, 290);  // landed on the floor
    // Hold the hero over one column.
    game->level->scrollStep = 0;
    const int column = BodyScreenColumn + game->camera.column;
    Level& level = *game->level;
    level.grid[cellIndex(column, WaistRow)] = Bonus;

    int score = level.score;
    drawFrame();
    ASSERT_EQ(game->body->gridColumn, column);
    EXPECT_EQ(level.score, score + 1 + 50);
    EXPECT_EQ(level.grid[cellIndex(column, WaistRow)], Empty);
    drawFrame();
    EXPECT_EQ(level.score, score + 2 + 50);
    EXPECT_EQ(soundsPlaying(bonusSeconds), 1);

    level.grid[cellIndex(column, WaistRow)] = Enemy;
    score = level.score;
    for (int frame = 1; frame <= 3; ++frame) {
        drawFrame();
        EXPECT_EQ(level.score, score + frame * (1 - 100));
    }
    EXPECT_LT(level.score, 0);
    EXPECT_EQ(soundsPlaying(damageSeconds), 3);
    EXPECT_EQ(level.grid[cellIndex(column, WaistRow)], Enemy);
    EXPECT_FALSE(game->levelEnded);
    EXPECT_TRUE(game->running);
}

TEST_F(PlayLoopTest, EscapeHandlesEveryQueuedEventThenDrawsOneMoreFrame) {
    startLevel(levelText(259));
    game->level->scrollStep = 2;
    letFirstFrameBeDue();
    pushKey(SDLK_ESCAPE);
    pushKeyUp(SDLK_SPACE);  // still reaches the hero: it now drops at 5
    pushKey(SDLK_LEFT);
    pushKey(SDLK_LEFT);

    game->playLevel();

    EXPECT_EQ(game->nextScreen, Screen::End);
    EXPECT_FALSE(game->levelEnded);
    EXPECT_EQ(game->level->scrollStep, 1);
    EXPECT_EQ(game->camera.column, 1);  // exactly one frame, at step 1
    EXPECT_EQ(game->level->score, 1);
    EXPECT_EQ(game->hero->motion.verticalSpeed, 5.0);
    EXPECT_EQ(game->body->y, 245);
}

TEST_F(PlayLoopTest, FallingOutInTheLastFrameAfterEscapeEndsTheLevel) {
    startLevel(levelText(259));
    game->body->y = 510;  // a new hero falls: the next frame finds it out
    letFirstFrameBeDue();
    pushKey(SDLK_ESCAPE);

    game->playLevel();

    EXPECT_TRUE(game->levelEnded);
    EXPECT_EQ(game->nextScreen, Screen::LevelEnd);
}

TEST_F(PlayLoopTest, ClosingTheWindowEndsTheGame) {
    startLevel(levelText(259));
    pushQuit();

    game->playLevel();

    EXPECT_FALSE(game->levelEnded);
    EXPECT_EQ(game->nextScreen, Screen::End);
}

TEST_F(PlayLoopTest, CellCheckStaysInsideTheGrid) {
    startLevel(levelText(0));
    Level& level = *game->level;

    // Near the top of the screen the cell two rows up would lie above row 0,
    // where a plain index would land on the previous column's last row.
    game->body->y = 10;
    level.grid[cellIndex(BodyScreenColumn, GridRows - 1)] = Bonus;
    drawFrame();
    EXPECT_EQ(level.score, 1);
    EXPECT_EQ(level.grid[cellIndex(BodyScreenColumn, GridRows - 1)], Bonus);

    // The last column still counts; beyond it there is nothing.
    const int last = GridColumns - 1;
    level.grid[cellIndex(last, FloorRow)] = Tile0;
    level.grid[cellIndex(last, WaistRow)] = Bonus;
    game->camera.column = last - BodyScreenColumn - 1;
    game->body->y = 290;
    level.score = 0;
    drawFrame();
    ASSERT_EQ(game->body->gridColumn, last);
    EXPECT_EQ(level.score, 1 + 50);
    for (int frame = 0; frame < 40 && !game->levelEnded; ++frame) {
        drawFrame();
    }
    // It fell out, taking nothing: 23 frames from y 290 to 510.
    EXPECT_EQ(level.score, 1 + 50 + 23);
    EXPECT_TRUE(game->levelEnded);
}

}  // namespace
