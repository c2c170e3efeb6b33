// A level's record run: recorded as the hero hears the space bar, written
// beside the records file, and trusted on loading only if it replays.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
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
#include "world/level_file.h"

using namespace play;

namespace {

constexpr int FloorEnd = 400;

// Bonuses on the way and out of reach without a jump, a platform to land on
// and an enemy to meet: a run whose height and score depend on its keys.
std::string testLevel() {
    std::vector<FileCell> cells = {{70, WaistRow, FileBonus},
                                   {90, WaistRow - 8, FileBonus},
                                   {200, WaistRow, FileEnemy},
                                   {230, WaistRow - 6, FileBonus}};
    for (int column = 120; column < 140; ++column) {
        cells.push_back({column, FloorRow - 5, FileTile});
    }
    return levelText(FloorEnd, cells);
}

struct KeyAt {
    int tick;  // pushed before this pass of the play loop (paused ones count)
    SDLKey key;
    Uint8 type;
};

// Presses and releases of every kind the hero hears: held jumps, a press and
// a release in one gap, and a release during a pause, heard at its end.
const std::vector<KeyAt> Keys = {
    {15, SDLK_SPACE, SDL_KEYDOWN},  {24, SDLK_SPACE, SDL_KEYUP},    {60, SDLK_SPACE, SDL_KEYDOWN},
    {100, SDLK_p, SDL_KEYDOWN},     {101, SDLK_SPACE, SDL_KEYUP},   {103, SDLK_p, SDL_KEYDOWN},
    {150, SDLK_SPACE, SDL_KEYDOWN}, {150, SDLK_SPACE, SDL_KEYUP},   {196, SDLK_SPACE, SDL_KEYDOWN},
    {199, SDLK_SPACE, SDL_KEYUP},   {226, SDLK_SPACE, SDL_KEYDOWN}, {240, SDLK_SPACE, SDL_KEYUP},
};

struct Frame {
    int32_t score;
    int32_t y;
    int32_t ghostY;  // -1 without a ghost on its way
};

class ReplayTest : public ::testing::Test {
  protected:
    void SetUp() override { game = startedGame({testLevel()}); }

    // Plays level 0 with Keys through the game's event queue, as the play
    // loop does, then leaves the end-of-level screen; returns each played
    // frame's score and height.
    std::vector<Frame> playAndEnd(const std::vector<KeyAt>& keys = Keys) {
        std::vector<Frame> frames;
        game->startGame(0);
        game->running = true;
        game->levelEnded = false;  // as playLevel starts
        for (int tick = 1; !game->levelEnded && tick < 2000; ++tick) {
            for (const KeyAt& key : keys) {
                if (key.tick == tick) {
                    if (key.type == SDL_KEYDOWN) {
                        pushKey(key.key, true);
                    } else {
                        pushKeyUp(key.key);
                    }
                }
            }
            while (game->pollEvent()) {
                game->handlePlayEvent();
            }
            const bool paused = game->paused();
            game->fillWhite();
            game->drawPlayFrame();
            if (!paused) {
                const ReplayRunner* ghost = game->ghost.runner();
                frames.push_back({game->level->score, game->body->y, ghost ? ghost->body.y : -1});
            }
        }
        pushKey(SDLK_SPACE);
        game->showLevelEnd();
        return frames;
    }

    TempDir dir;
    std::unique_ptr<Game> game;
};

TEST_F(ReplayTest, ARecordRunSavedAndLoadedReplaysEveryFrame) {
    const std::vector<Frame> played = playAndEnd();
    ASSERT_TRUE(game->levelEnded);
    EXPECT_EQ(game->records[0], played.back().score);
    EXPECT_EQ(readFile("Save/records-0.rcd"),
              std::to_string(int64_t{played.back().score} * played.back().score));

    ReplayData replay;
    std::string said =
        captureStdout([&] { EXPECT_TRUE(loadReplay(0, "Niveaux/test-0.lvl", replay)); });
    EXPECT_EQ(said, "");
    EXPECT_EQ(replay.score, played.back().score);
    ASSERT_EQ(replay.frames, static_cast<int32_t>(played.size()));

    // The level as the file has it: the play took its bonuses from the game's.
    std::vector<int32_t> grid(GridCells, Empty);
    LevelFileData data;
    parseLevelText(testLevel(), data, grid.data());
    ReplayRunner ghost(grid.data(), &replay);
    int32_t lowest = 290;
    for (std::size_t i = 0; i < played.size(); ++i) {
        ASSERT_TRUE(ghost.step());
        ASSERT_EQ(ghost.score, played[i].score) << "frame " << i + 1;
        ASSERT_EQ(ghost.body.y, played[i].y) << "frame " << i + 1;
        lowest = std::min(lowest, played[i].y);
    }
    EXPECT_FALSE(ghost.step());
    EXPECT_LT(lowest, 290 - 50);  // the run did jump
}

// The record run raced while the level is played with other keys: the
// ghost's height is the record run's in every frame until it falls out,
// shown or hidden, and the play itself is the same with or without it.
TEST_F(ReplayTest, TheGhostFollowsTheRecordRunAndChangesNoPlay) {
    const std::vector<Frame> record = playAndEnd();
    const std::vector<KeyAt> oneJump = {{140, SDLK_SPACE, SDL_KEYDOWN},
                                        {148, SDLK_SPACE, SDL_KEYUP}};
    ASSERT_TRUE(game->ghostShown);
    const std::vector<Frame> shown = playAndEnd(oneJump);
    ASSERT_FALSE(shown.empty());
    // No better than the record: the record run stays the one raced.
    ASSERT_LE(shown.back().score, record.back().score);
    game->ghostShown = false;
    const std::vector<Frame> hidden = playAndEnd(oneJump);
    std::filesystem::remove("Save/replay-0.rpl");
    const std::vector<Frame> alone = playAndEnd(oneJump);

    ASSERT_EQ(shown.size(), alone.size());
    ASSERT_EQ(hidden.size(), alone.size());
    bool apart = false;
    for (std::size_t i = 0; i < alone.size(); ++i) {
        const int32_t ghostY = i + 1 < record.size() ? record[i].y : -1;
        for (const std::vector<Frame>* raced : {&shown, &hidden}) {
            ASSERT_EQ((*raced)[i].score, alone[i].score) << "frame " << i + 1;
            ASSERT_EQ((*raced)[i].y, alone[i].y) << "frame " << i + 1;
            ASSERT_EQ((*raced)[i].ghostY, ghostY) << "frame " << i + 1;
        }
        EXPECT_EQ(alone[i].ghostY, -1);
        apart = apart || ghostY != alone[i].y;
    }
    EXPECT_TRUE(apart);  // the ghost was not simply the hero
}

// What a hostile or damaged text is refused for; the good text round-trips.
TEST(ReplayFile, ParsesWhatItWritesAndRefusesTheRest) {
    ReplayData written;
    written.levelFingerprint = 0x8c3f0a9e12d4b765ull;
    written.score = -120;
    written.frames = 300;
    written.events = {{1, false}, {5, true}, {5, false}, {9, true}, {300, false}};
    const std::string good = replayText(written);
    ReplayData read;
    std::string reason;
    ASSERT_TRUE(parseReplayText("# a comment\n" + good, read, reason)) << reason;
    EXPECT_EQ(read.levelFingerprint, written.levelFingerprint);
    EXPECT_EQ(read.score, written.score);
    EXPECT_EQ(read.frames, written.frames);
    ASSERT_EQ(read.events.size(), written.events.size());
    for (std::size_t i = 0; i < read.events.size(); ++i) {
        EXPECT_EQ(read.events[i].frame, written.events[i].frame);
        EXPECT_EQ(read.events[i].press, written.events[i].press);
    }

    const std::string head = "version 1\nniveau ff\nscore 10\nimages 50\n";
    const struct {
        std::string text;
        const char* reason;
    } bad[] = {
        {"", "n'a pas de version"},
        {"version 2\nniveau ff\nscore 10\nimages 50\n", "est d'une autre version"},
        {"version 1\nniveau ff\nscore 10\n", "est incomplet"},
        {head + "score 11\n", "ligne 5"},
        {head + "appui 7\nrelache 6\n", "ligne 6"},
        {head + "appui 7\nappui 7\n", "ligne 6"},
        {head + "appui 0\n", "ligne 5"},
        {head + "appui 7x\n", "ligne 5"},
        {head + "appui 7 8\n", "ligne 5"},
        {head + "appui 51\n", "apres sa derniere image"},
        {"version 1\nniveau 1ffffffffffffffff\nscore 10\nimages 50\n", "ligne 2"},
        {"version 1\nniveau ff\nscore 10\nimages 20001\n", "ligne 4"},
        {"version 1\nniveau ff\nscore 99999999999\nimages 5\n", "ligne 3"},
        {std::string(MaxReplayFileBytes + 1, ' '), "trop grand"},
    };
    for (const auto& test : bad) {
        reason.clear();
        EXPECT_FALSE(parseReplayText(test.text, read, reason)) << test.text.substr(0, 80);
        EXPECT_NE(reason.find(test.reason), std::string::npos) << reason;
        EXPECT_EQ(read.score, written.score);  // left as it was
    }
}

TEST_F(ReplayTest, AReplayThatDoesNotReplayIsSetAsideWithAMessage) {
    playAndEnd();
    const std::string saved = readFile("Save/replay-0.rpl");
    const std::string scoreLine = "score " + std::to_string(game->records[0]) + "\n";
    ASSERT_NE(saved.find(scoreLine), std::string::npos);
    std::string edited = saved;
    edited.replace(saved.find(scoreLine), scoreLine.size(),
                   "score " + std::to_string(game->records[0] + 50) + "\n");
    const int32_t record = game->records[0];
    const struct {
        std::string replay;
        std::string level;
        int32_t record;
        std::string said;
    } cases[] = {
        {saved, testLevel() + "\n", record, "a ete joue sur une autre version du niveau"},
        {saved.substr(0, 30), testLevel(), record, "est incomplet"},
        {edited, testLevel(), record + 50, "annonce le score"},
        {std::string(MaxReplayFileBytes + 1, 'x'), testLevel(), record,
         "est illisible ou trop grand"},
        // The last record's run beside a newer record (a game stopped
        // between the two writes).
        {saved, testLevel(), record + 1,
         "est le run du score " + std::to_string(record) + ", et non du record " +
             std::to_string(record + 1)},
    };
    for (const auto& test : cases) {
        writeFile("Save/records-0.rcd", recordSquareText(test.record));
        writeFile("Save/replay-0.rpl", test.replay);
        writeFile("Niveaux/test-0.lvl", test.level);
        ReplayData replay;
        const std::string said =
            captureStdout([&] { EXPECT_FALSE(loadReplay(0, "Niveaux/test-0.lvl", replay)); });
        EXPECT_EQ(said.rfind("Le fichier Save/replay-0.rpl ", 0), 0u) << said;
        EXPECT_NE(said.find(test.said), std::string::npos) << said;
    }
}

}  // namespace

namespace {

// A run of the world board is checked as the game's own record runs are,
// before it is watched.
TEST_F(ReplayTest, ABoardRunIsWatchedOnlyWhenItReplaysOnTheLevelAsItIs) {
    playAndEnd();
    const std::string saved = readFile("Save/replay-0.rpl");
    const std::string scoreLine = "score " + std::to_string(game->records[0]) + "\n";
    std::string edited = saved;
    edited.replace(saved.find(scoreLine), scoreLine.size(),
                   "score " + std::to_string(game->records[0] + 50) + "\n");
    const struct {
        std::string replay;
        std::string level;
        bool watched;
    } cases[] = {
        {saved, testLevel(), true},
        {saved, testLevel() + "\n", false},  // another version of the level
        {edited, testLevel(), false},
        {saved.substr(0, 30), testLevel(), false},
        {"<html>502</html>", testLevel(), false},
    };
    for (const auto& test : cases) {
        writeFile("Niveaux/test-0.lvl", test.level);
        ReplayData replay;
        std::string reason;
        EXPECT_EQ(checkReplay(test.replay, "Niveaux/test-0.lvl", replay, reason), test.watched)
            << reason;
        EXPECT_EQ(replay.frames > 0, test.watched);
        EXPECT_EQ(reason.empty(), test.watched);
    }
}

}  // namespace
