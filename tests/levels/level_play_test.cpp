// The checker's model of a frame against the game's own play loop: the best
// run the search finds, played key by key through the real Game, scores
// exactly what the search says, frame by frame.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/game.h"
#include "level_generator.h"
#include "level_search.h"
#include "play_fixture.h"
#include "test_support.h"

namespace {

void sendSpace(Game& game, Uint8 type) {
    game.event = SDL_Event{};
    game.event.type = type;
    game.event.key.type = type;
    game.event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    game.event.key.keysym.sym = SDLK_SPACE;
    game.handlePlayEvent();
}

void send(Game& game, SpaceInput input) {
    switch (input) {
        case SpaceInput::Nothing:
            break;
        case SpaceInput::Press:
            sendSpace(game, SDL_KEYDOWN);
            break;
        case SpaceInput::Release:
            sendSpace(game, SDL_KEYUP);
            break;
        case SpaceInput::PressRelease:
            sendSpace(game, SDL_KEYDOWN);
            sendSpace(game, SDL_KEYUP);
            break;
        case SpaceInput::ReleasePress:
            sendSpace(game, SDL_KEYUP);
            sendSpace(game, SDL_KEYDOWN);
            break;
    }
}

}  // namespace

TEST(LevelPlay, TheBestRunScoresInTheGameWhatTheSearchSays) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    TempDir dir;
    play::writeCommonData();

    levelgen::Settings settings;
    settings.seed = 101;
    settings.difficulty = 3;
    settings.number = 3;
    const std::vector<int32_t> grid = levelgen::generateGrid(settings);
    writeFile("Niveaux/test-0.lvl", levelgen::levelFileText(settings, grid));

    SearchOptions options;
    options.lastColumn = 1500;
    options.airJumps = false;
    options.keepRun = true;
    const SearchResult result = searchLevel(grid.data(), options);
    ASSERT_TRUE(result.finishable);
    const std::vector<RunFrame> run = replayRun(grid.data(), result.bestInputs);
    ASSERT_EQ(static_cast<int32_t>(run.size()), result.frames);
    // The run has something to show: it jumps, and it takes bonuses.
    EXPECT_GT(result.bestScore, result.frames + 50 * 10);

    auto game = std::make_unique<Game>(GameFlow::StartupOnly);
    ASSERT_FALSE(game->startupFailed);
    game->levelFiles[0] = "Niveaux/test-0.lvl";
    game->startGame(0);
    ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
    game->running = true;
    for (int32_t frame = 1; frame <= result.frames; ++frame) {
        send(*game, result.bestInputs[static_cast<std::size_t>(frame - 1)]);
        game->fillWhite();
        game->drawPlayFrame();
        const RunFrame& expected = run[static_cast<std::size_t>(frame - 1)];
        ASSERT_EQ(game->level->score, expected.score) << "frame " << frame;
        ASSERT_EQ(game->body->y, expected.y) << "frame " << frame;
        ASSERT_FALSE(game->levelEnded) << "frame " << frame;
    }
    EXPECT_EQ(game->level->score, result.bestScore);
    EXPECT_EQ(game->body->gridColumn, 1500);
}
