// The checker's model of a frame against the game's own play loop: the best
// run the search finds, played key by key through the real Game, scores
// exactly what the search says, frame by frame.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "cautious_model.h"
#include "level_generator.h"
#include "level_search.h"
#include "level_text.h"
#include "play_fixture.h"
#include "player_model.h"
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

// A level of every kind of block, written where the game finds level 0.
std::vector<int32_t> writeTestLevel() {
    levelgen::Settings settings;
    std::string error;
    EXPECT_TRUE(levelgen::parseSeedText(
        "seed 101\npictures 3\narc 2\nenemy-pair 3\nposts 2\nplatforms 2\nhigh-road 3\n"
        "stairs 3\ngap 4\n",
        settings, error))
        << error;
    const std::vector<int32_t> grid = levelgen::generateGrid(settings);
    writeFile("Niveaux/test-0.lvl", levelgen::levelFileText(settings, grid));
    return grid;
}

// Plays `inputs` key by key through the real Game and checks the score and
// the hero's height against `expected`, frame by frame.
void playInGame(const std::vector<SpaceInput>& inputs, const std::vector<RunFrame>& expected) {
    auto game = std::make_unique<Game>(GameFlow::StartupOnly);
    ASSERT_FALSE(game->startupFailed);
    game->levelFiles[0] = "Niveaux/test-0.lvl";
    game->startGame(0);
    ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
    game->running = true;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        send(*game, inputs[i]);
        game->fillWhite();
        game->drawPlayFrame();
        ASSERT_EQ(game->level->score, expected[i].score) << "frame " << i + 1;
        ASSERT_EQ(game->body->y, expected[i].y) << "frame " << i + 1;
        ASSERT_EQ(game->levelEnded, expected[i].fellOut) << "frame " << i + 1;
    }
}

// A game's common data and the test level, in a folder of their own.
class LevelPlay : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        play::writeCommonData();
        grid = writeTestLevel();
    }
    TempDir dir;
    std::vector<int32_t> grid;
};

}  // namespace

TEST_F(LevelPlay, TheBestRunScoresInTheGameWhatTheSearchSays) {
    SearchOptions options;
    options.lastColumn = lastGroundColumn(grid.data());
    options.airJumps = false;
    options.keepRun = true;
    const SearchResult result = searchLevel(grid.data(), options);
    ASSERT_TRUE(result.finishable);
    const std::vector<RunFrame> run = replayRun(grid.data(), result.bestInputs);
    ASSERT_EQ(static_cast<int32_t>(run.size()), result.frames);
    // The run has something to show: it jumps, and it takes bonuses.
    EXPECT_GT(result.bestScore, result.frames + 50 * 10);
    playInGame(result.bestInputs, run);
    EXPECT_EQ(run.back().score, result.bestScore);
}

// A play of `model` to the end and one that falls short, if the first seeds
// hold one, played key by key in the real game.
template <typename Model>
void playModelInGame(const Model& model, const int32_t* grid) {
    bool sawFinish = false;
    bool sawFall = false;
    for (int32_t i = 0; i < 40 && !(sawFinish && sawFall); ++i) {
        const PlayResult play = model.play(playSeed(1, i));
        if (play.finished ? sawFinish : sawFall) {
            continue;
        }
        (play.finished ? sawFinish : sawFall) = true;
        const std::vector<RunFrame> run = replayRun(grid, play.inputs);
        ASSERT_EQ(static_cast<int32_t>(run.size()), play.frames);
        EXPECT_EQ(run.back().score, play.score);
        EXPECT_TRUE(run.back().fellOut);
        playInGame(play.inputs, run);
    }
    EXPECT_TRUE(sawFinish);
}

TEST_F(LevelPlay, APlayOfEitherPlayerModelScoresInTheGameWhatTheModelSays) {
    const SurvivalTable table(grid.data());
    playModelInGame(PlayerModel(grid.data(), table, ModelOptions{}), grid.data());
    playModelInGame(CautiousModel(grid.data(), table, ModelOptions{}), grid.data());
}
