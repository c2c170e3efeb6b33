#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/game.h"
#include "play_fixture.h"
#include "test_support.h"

using namespace play;

namespace {

// What a frame leaves behind that the rest of the level depends on.
using FrameState = std::tuple<int32_t, int32_t, int32_t, double, int32_t, int32_t>;

FrameState stateOf(const Game& game) {
    return {game.camera.column,
            game.level->score,
            game.body->y,
            game.hero->motion.verticalSpeed,
            game.hero->motion.motionState,
            game.hero->motion.frameIndex};
}

void pushFocus(Uint8 gain) {
    SDL_Event event{};
    event.type = SDL_ACTIVEEVENT;
    event.active.type = SDL_ACTIVEEVENT;
    event.active.gain = gain;
    event.active.state = SDL_APPINPUTFOCUS;
    SDL_PushEvent(&event);
}

class PauseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeSolidImage("Title/pause.png", 40, 30, 0x00ff00);
        writeSilentSound("Music/Fond.mp3", 2);
        game = startedGame({levelText(400)});
    }

    void start() {
        SDL_Event stale;
        while (SDL_PollEvent(&stale) != 0) {
        }
        game->startGame(0);
        ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
        game->running = true;
    }

    // What the play loop does with the events waiting, then one frame.
    void handleEventsAndDraw() {
        while (SDL_PollEvent(&game->event) != 0) {
            game->handlePlayEvent();
        }
        game->fillWhite();
        game->drawPlayFrame();
    }

    TempDir dir;
    std::unique_ptr<Game> game;
};

// A jump held from frame 5, let go at frame 8. In the second run the level is
// paused with P just before frame 8 and the space bar let go during the pause:
// every frame played must be the same as in the first run, none skipped.
TEST_F(PauseTest, APauseChangesNothingAndSkipsNoFrame) {
    constexpr int Frames = 40, PressAt = 5, PauseAt = 8, PausedFrames = 12;
    start();
    std::vector<FrameState> plain;
    for (int frame = 0; frame < Frames; ++frame) {
        if (frame == PressAt) {
            pushKey(SDLK_SPACE, true);
        }
        if (frame == PauseAt) {
            pushKeyUp(SDLK_SPACE);
        }
        handleEventsAndDraw();
        plain.push_back(stateOf(*game));
    }

    start();
    std::vector<FrameState> paused;
    for (int frame = 0; frame < Frames; ++frame) {
        if (frame == PressAt) {
            pushKey(SDLK_SPACE, true);
        }
        if (frame == PauseAt) {
            const uint32_t before = pixelAt(game->screen, 300, 200);
            pushKey(SDLK_p);
            pushKeyUp(SDLK_SPACE);
            const FrameState held = stateOf(*game);
            for (int wait = 0; wait < PausedFrames; ++wait) {
                handleEventsAndDraw();
                ASSERT_TRUE(game->paused());
                EXPECT_EQ(stateOf(*game), held);
                // The pause picture over the frame as it was.
                EXPECT_EQ(pixelAt(game->screen, 10, 10), 0x00ff00u);
                EXPECT_EQ(pixelAt(game->screen, 300, 200), before);
            }
            pushKey(SDLK_p);
        }
        handleEventsAndDraw();
        paused.push_back(stateOf(*game));
    }
    EXPECT_FALSE(game->paused());
    EXPECT_EQ(paused, plain);
}

TEST_F(PauseTest, LosingTheFocusPausesAndLowersTheMusicUntilItComesBack) {
    ASSERT_NE(game->music, nullptr);
    start();
    handleEventsAndDraw();
    const int loud = Mix_Volume(0, -1);

    pushFocus(0);
    handleEventsAndDraw();
    EXPECT_TRUE(game->paused());
    EXPECT_LT(Mix_Volume(0, -1), loud / 2);
    EXPECT_GT(Mix_Volume(0, -1), 0);
    EXPECT_EQ(game->camera.column, 1);

    pushFocus(1);
    handleEventsAndDraw();
    EXPECT_FALSE(game->paused());
    EXPECT_EQ(Mix_Volume(0, -1), loud);
    EXPECT_EQ(game->camera.column, 2);

    // A pause asked for with P outlasts the focus going and coming back;
    // Escape still leaves, and the music is loud again for the next screen.
    pushKey(SDLK_p);
    pushFocus(0);
    pushFocus(1);
    handleEventsAndDraw();
    EXPECT_TRUE(game->paused());
    pushKey(SDLK_ESCAPE);
    game->playLevel();
    EXPECT_EQ(game->nextScreen, Screen::End);
    EXPECT_EQ(game->camera.column, 2);
    EXPECT_EQ(Mix_Volume(0, -1), loud);
}

}  // namespace
