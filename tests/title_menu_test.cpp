#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/game.h"
#include "menu_fixture.h"
#include "test_support.h"

using namespace menu_fixture;

namespace {

void press(Game& game, SDLKey key) {
    game.event = SDL_Event{};
    game.event.type = SDL_KEYDOWN;
    game.event.key.type = SDL_KEYDOWN;
    game.event.key.keysym.sym = key;
    game.handleTitleEvent();
}

}  // namespace

TEST(TitleMenu, MovesBetweenTheThreeEntriesWithoutWrapping) {
    StartedGame started;
    Game& game = started.game;
    pushKey(SDLK_UP);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(game.selection, 2);
    EXPECT_EQ(game.nextScreen, Screen::End);

    pushKey(SDLK_DOWN);
    pushKey(SDLK_UP);
    pushKey(SDLK_UP);
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(game.selection, 0);
}

TEST(TitleMenu, SpaceOnTheMiddleEntryOnlyPlaysTheSound) {
    StartedGame started;
    Game& game = started.game;
    game.selection = 1;
    game.running = true;
    game.menuConfirmed = false;
    press(game, SDLK_SPACE);
    EXPECT_TRUE(game.running);
    EXPECT_FALSE(game.menuConfirmed);
    EXPECT_EQ(game.selection, 1);

    // Space on start and on quit both leave; only start confirms.
    press(game, SDLK_UP);
    press(game, SDLK_SPACE);
    EXPECT_FALSE(game.running);
    EXPECT_TRUE(game.menuConfirmed);
    game.running = true;
    press(game, SDLK_DOWN);
    press(game, SDLK_DOWN);
    press(game, SDLK_SPACE);
    EXPECT_FALSE(game.running);
    EXPECT_FALSE(game.menuConfirmed);
}

TEST(TitleMenu, StartOpensTheLevelMenuAndQuitEndsTheGame) {
    StartedGame started;
    Game& game = started.game;
    pushKey(SDLK_SPACE);
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::LevelMenu);

    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_SPACE);
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::End);
}

TEST(TitleMenu, HandlesTheWholeBatchBeforeLeaving) {
    StartedGame started;
    Game& game = started.game;
    // Escape clears running, but Space in the same batch still starts.
    pushKey(SDLK_ESCAPE);
    pushKey(SDLK_SPACE);
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::LevelMenu);
    // A window close after a confirmed start still ends the game.
    pushKey(SDLK_SPACE);
    pushQuit();
    game.showTitleMenu();
    EXPECT_FALSE(game.menuConfirmed);
    EXPECT_EQ(game.nextScreen, Screen::End);
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0);
}

TEST(TitleMenu, EveryVisitStartsOnTheFirstEntryWithNothingConfirmed) {
    StartedGame started;
    Game& game = started.game;
    game.selection = 2;
    game.menuConfirmed = true;  // as the end-of-level screen leaves it
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(game.selection, 0);
    EXPECT_EQ(game.nextScreen, Screen::End);
}

TEST(TitleMenu, DrawsThePictureOfTheHighlightedEntry) {
    StartedGame started;
    Game& game = started.game;
    game.titleImages[0] = solidPicture(0xff0000);
    game.titleImages[1] = solidPicture(0x00ff00);
    game.titleImages[2].reset();
    game.selection = 1;
    game.fillWhite();
    ASSERT_NE(game.titleAnimation, nullptr);
    game.titleAnimation->frameClock = 0.0;
    game.drawTitleFrame();
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0x00ff00u);
    EXPECT_EQ(game.titleAnimation->frameClock, 0.35);  // the hero is drawn over it
    game.selection = 2;  // a picture that failed to load draws nothing
    game.fillWhite();
    game.drawTitleFrame();
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0xffffffu);

    // The loop draws the first frame once more than 30 ms have passed.
    game.lastFrameTicks = static_cast<double>(SDL_GetTicks()) - 100.0;
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(pixelAt(game.screen, 0, 0), 0xff0000u);
    EXPECT_EQ(pixelAt(game.screen, 719, 479), 0xff0000u);
    EXPECT_EQ(game.lastFrameTicks, game.nowTicks);
}

TEST(TitleMenu, PlaysTheMoveSoundOnlyWhenTheHighlightMoves) {
    SoundedGame started;
    Game& game = started.game;
    ASSERT_NE(game.menuSample, nullptr);
    ASSERT_NE(game.confirmSample, nullptr);
    pushKey(SDLK_UP);  // already on the first entry
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);  // already on the last entry
    pushKey(SDLK_LEFT);  // not a key of this menu
    pushKey(SDLK_UP);
    pushKey(SDLK_SPACE);  // on the middle entry: only the sound
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    const Playing playing = playingSounds();
    EXPECT_EQ(playing.moves, 3);
    EXPECT_EQ(playing.confirms, 1);
    EXPECT_EQ(game.selection, 1);
}
