// Practice and the slower paces, on the real game: a checkpoint restored
// plays on exactly as the run that made it did, practice keeps nothing, and
// a slower pace plays the very same frames, only further apart, with records
// of its own.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/game.h"
#include "play_fixture.h"
#include "screens/progress.h"
#include "screens/records.h"
#include "screens/replay_file.h"
#include "test_support.h"

using namespace play;

namespace {

struct Seen {
    int32_t score = 0;
    int32_t y = 0;
    int32_t bonuses = 0;  // left in the level's first 800 columns
    bool operator==(const Seen& other) const {
        return score == other.score && y == other.y && bonuses == other.bonuses;
    }
};

Seen seen(const Game& game) {
    Seen now{game.level->score, game.body->y, 0};
    for (int32_t i = 0; i < 800 * GridRows; ++i) {
        now.bonuses += game.level->grid[static_cast<std::size_t>(i)] == Bonus ? 1 : 0;
    }
    return now;
}

void handleWaitingEvents(Game& game) {
    while (game.pollEvent()) {
        game.handlePlayEvent();
    }
}

// A floor with a gap at columns 400 to 429, bonuses at the waist before it
// and two enemies.
std::string gapLevel() {
    std::vector<FileCell> cells;
    for (int column = 250; column <= 380; column += 10) {
        cells.push_back({column, WaistRow, FileBonus});
    }
    cells.push_back({330, WaistRow, FileEnemy});
    cells.push_back({392, WaistRow, FileEnemy});
    for (int column = 430; column < 700; ++column) {
        cells.push_back({column, FloorRow, FileTile});
    }
    return levelText(400, cells);
}

}  // namespace

TEST(Practice, AFallGoesBackToTheLastCheckpointAndPlaysOnAsBefore) {
    TempDir dir;
    auto game = startedGame({gapLevel()});
    game->practising = true;
    game->startGame(0);
    ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
    game->running = true;
    pushKey(SDLK_c);  // taken as soon as the hero stands
    handleWaitingEvents(*game);

    std::map<int32_t, Seen> runs[2];
    for (int frame = 0; frame < 2000 && game->practice.falls() < 2; ++frame) {
        const int32_t falls = game->practice.falls();
        game->fillWhite();
        game->drawPlayFrame();
        if (!game->practice.waitingAfterFall()) {
            runs[falls][game->playedFrames] = seen(*game);
        }
    }
    ASSERT_EQ(game->practice.falls(), 2);
    const std::vector<PlayCheckpoint>& checkpoints = game->practice.checkpoints();
    ASSERT_GE(checkpoints.size(), 3u);
    EXPECT_EQ(checkpoints[0].frame, 0);   // the start
    EXPECT_LT(checkpoints[1].frame, 20);  // by hand, once landed
    EXPECT_GE(checkpoints[2].frame, checkpoints[1].frame + Practice::AutoCheckpointFrames);
    const int32_t from = checkpoints.back().frame;
    EXPECT_LT(from + BodyScreenColumn, 400);  // before the gap

    // From the checkpoint to the fall, the second run is the first one again:
    // the bonuses taken after it came back, the enemy strikes again.
    int compared = 0;
    for (const auto& [frame, first] : runs[0]) {
        if (frame <= from) {
            continue;
        }
        ASSERT_TRUE(runs[1].count(frame)) << frame;
        EXPECT_EQ(runs[1][frame], first) << "frame " << frame;
        ++compared;
    }
    EXPECT_GT(compared, 40);
    // And bonuses taken after it were there again.
    EXPECT_GT(runs[1].begin()->second.bonuses, runs[0].rbegin()->second.bonuses);
}

TEST(Practice, EndsPastTheLastGroundAndKeepsNothing) {
    TempDir dir;
    auto game = startedGame({levelText(300)});
    pushKey(SDLK_e, true);  // practises the highlighted level
    game->showLevelMenu();
    ASSERT_TRUE(game->practising);
    game->startGame(game->nextLevelIndex);
    int frames = 0;
    game->running = true;
    while (!game->practice.finished() && frames < 1000) {
        game->drawPlayFrame();
        ++frames;
    }
    EXPECT_EQ(game->playedFrames, 299 - 31 + 1);  // the frame past the last ground
    game->playLevel();                            // "Niveau terminé", then the menu
    EXPECT_EQ(game->nextScreen, Screen::LevelMenu);
    EXPECT_EQ(game->levelMenuFirstSelection, 0);

    // Escape leaves a practice for the level menu, not the game.
    game->practising = true;
    game->startGame(0);
    pushKey(SDLK_ESCAPE, true);
    game->playLevel();
    EXPECT_EQ(game->nextScreen, Screen::LevelMenu);

    for (const char* file : {"Save/records-0.rcd", "Save/replay-0.rpl", ProgressPath}) {
        EXPECT_FALSE(fileExists(file)) << file;
    }
}

TEST(Pace, PlaysTheSameFramesFurtherApartWithRecordsOfItsOwn) {
    TempDir dir;
    auto game = startedGame({levelText(150, {{120, WaistRow, FileBonus}})});
    game->startGame(0);
    const int fullPaceFrames = drawFramesUntilLevelEnds(*game);
    const int32_t fullPaceScore = game->level->score;

    game->pace = 70;
    game->startGame(0);
    const Uint32 start = SDL_GetTicks();
    game->playLevel();
    const double period = static_cast<double>(SDL_GetTicks() - start) / game->playedFrames;
    EXPECT_EQ(game->playedFrames, fullPaceFrames);
    EXPECT_EQ(game->level->score, fullPaceScore);
    EXPECT_NEAR(period, 31.0 / 0.7, 2.5);
    ASSERT_EQ(game->nextScreen, Screen::LevelEnd);

    pushKey(SDLK_ESCAPE, true);
    game->showLevelEnd();
    EXPECT_EQ(readFile("Save/records-0-70.rcd"), recordSquareText(fullPaceScore));
    EXPECT_FALSE(fileExists("Save/records-0.rcd"));
    EXPECT_EQ(game->records[0], 0);
    ReplayData run;
    std::string reason;
    ASSERT_TRUE(parseReplayText(readFile(replayFileName(0, 70)), run, reason)) << reason;
    EXPECT_EQ(run.score, fullPaceScore);
    EXPECT_FALSE(fileExists(replayFileName(0)));
    EXPECT_EQ(readProgress()[0].attempts, 1);
    EXPECT_EQ(readProgress()[0].bestPercent, 100);
    EXPECT_EQ(game->runPercent, 100);
}
