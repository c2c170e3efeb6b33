#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/game.h"
#include "menu_fixture.h"
#include "test_support.h"

using namespace menu_fixture;

namespace {

void pushPresses(SDLKey key, int count) {
    for (int i = 0; i < count; ++i) {
        pushKey(key, true);
    }
}

// The events still waiting, as (type, key) pairs.
std::vector<std::pair<int, SDLKey>> waitingEvents() {
    std::vector<std::pair<int, SDLKey>> left;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        const bool isKey = event.type == SDL_KEYDOWN || event.type == SDL_KEYUP;
        left.emplace_back(event.type, isKey ? event.key.keysym.sym : SDLK_UNKNOWN);
    }
    return left;
}

}  // namespace

TEST(LevelMenu, MovesBetweenThePlayableLevelsWithoutWrapping) {
    StartedGame started;
    Game& game = started.game;
    ASSERT_EQ(game.levelCount, 2);
    pushKey(SDLK_LEFT, true);
    pushPresses(SDLK_RIGHT, 3);
    game.selection = 5;
    game.menuConfirmed = true;
    pushKey(SDLK_ESCAPE, true);
    game.showLevelMenu();
    EXPECT_EQ(game.selection, 1);
    EXPECT_FALSE(game.menuConfirmed);
    EXPECT_EQ(game.nextScreen, Screen::End);

    pushKey(SDLK_RIGHT, true);
    pushKey(SDLK_LEFT, true);
    pushKey(SDLK_LEFT, true);
    pushKey(SDLK_ESCAPE, true);
    game.showLevelMenu();
    EXPECT_EQ(game.selection, 0);

    game.levelCount = 1;
    pushKey(SDLK_RIGHT, true);
    pushKey(SDLK_ESCAPE, true);
    game.showLevelMenu();
    EXPECT_EQ(game.selection, 0);
}

TEST(LevelMenu, OffersAtMostTenLevels) {
    StartedGame started;
    Game& game = started.game;
    game.levelCount = 25;
    pushPresses(SDLK_RIGHT, 12);
    pushKey(SDLK_ESCAPE, true);
    game.showLevelMenu();
    EXPECT_EQ(game.selection, 9);

    // Levels without a picture leave the white screen.
    game.levelImages[1] = solidPicture(0x00ff00);
    game.fillWhite();
    game.drawLevelMenuFrame();
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0xffffffu);
    // The tenth level shows its own picture, not one of the first three.
    game.levelImages[9] = solidPicture(0x0000ff);
    game.drawLevelMenuFrame();
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0x0000ffu);
    game.selection = 1;
    game.titleAnimation->frameClock = 0.0;
    game.drawLevelMenuFrame();
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0x00ff00u);
    EXPECT_EQ(game.titleAnimation->frameClock, 0.35);  // the hero is drawn over it
}

TEST(LevelMenu, NoPlayableLevelStartsIndexZeroWhichEndsTheGame) {
    StartedGame started;
    Game& game = started.game;
    // The lowest count a saved game can hold, too.
    for (int32_t count : {0, -3, INT32_MIN}) {
        game.levelCount = count;
        pushKey(SDLK_LEFT, true);
        pushKey(SDLK_RIGHT, true);
        pushKey(SDLK_SPACE, true);
        game.showLevelMenu();
        EXPECT_EQ(game.selection, 0);
        ASSERT_EQ(game.nextScreen, Screen::StartGame);
        EXPECT_EQ(game.nextLevelIndex, 0);
        game.runNextScreen();  // 0 is not below levelCount
        EXPECT_EQ(game.nextScreen, Screen::End);
    }
}

TEST(LevelMenu, SpaceShowsTheReadyPictureThenStartsTheHighlightedLevel) {
    StartedGame started;
    Game& game = started.game;
    game.levelImages[0] = solidPicture(0xff0000);
    game.readyImage = solidPicture(0x0000ff);
    game.levelCount = 3;
    pushKey(SDLK_RIGHT, true);
    pushKey(SDLK_RIGHT, true);
    pushKey(SDLK_SPACE, true);
    const Uint32 before = SDL_GetTicks();
    game.showLevelMenu();
    EXPECT_GE(SDL_GetTicks() - before, 1000u);
    EXPECT_TRUE(game.menuConfirmed);
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0x0000ffu);
    EXPECT_EQ(game.nextScreen, Screen::StartGame);
    EXPECT_EQ(game.nextLevelIndex, 2);
}

TEST(LevelMenu, EscapeEndsWithoutTheReadyPicture) {
    StartedGame started;
    Game& game = started.game;
    game.levelImages[0] = solidPicture(0xff0000);
    game.readyImage = solidPicture(0x0000ff);
    game.lastFrameTicks = static_cast<double>(SDL_GetTicks()) - 100.0;
    pushKey(SDLK_ESCAPE, true);
    const Uint32 before = SDL_GetTicks();
    game.showLevelMenu();
    EXPECT_LT(SDL_GetTicks() - before, 1000u);
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0xff0000u);  // the level's picture
    EXPECT_EQ(game.nextScreen, Screen::End);

    // A window close ends the menu but leaves an earlier confirmation alone.
    game.running = true;
    game.menuConfirmed = true;
    game.event = SDL_Event{};
    game.event.type = SDL_QUIT;
    game.handleLevelMenuEvent();
    EXPECT_FALSE(game.running);
    EXPECT_TRUE(game.menuConfirmed);
}

TEST(LevelMenu, TakesOneEventPerPassAndLeavesTheRestQueued) {
    StartedGame started;
    Game& game = started.game;
    game.levelCount = 10;
    pushPresses(SDLK_RIGHT, 4);
    pushKey(SDLK_SPACE);  // its release waits for the play loop
    pushKey(SDLK_RIGHT, true);
    pushQuit();
    game.showLevelMenu();
    EXPECT_EQ(game.nextScreen, Screen::StartGame);
    EXPECT_EQ(game.nextLevelIndex, 4);
    const std::vector<std::pair<int, SDLKey>> expected = {
        {SDL_KEYUP, SDLK_SPACE}, {SDL_KEYDOWN, SDLK_RIGHT}, {SDL_QUIT, SDLK_UNKNOWN}};
    EXPECT_EQ(waitingEvents(), expected);
}

TEST(LevelMenu, PlaysTheMoveSoundOnlyWhenTheHighlightMoves) {
    SoundedGame started;
    Game& game = started.game;
    ASSERT_NE(game.menuSample, nullptr);
    ASSERT_NE(game.confirmSample, nullptr);
    pushKey(SDLK_LEFT, true);  // already on the first level
    pushKey(SDLK_RIGHT, true);
    pushKey(SDLK_RIGHT, true);  // already on the last of two levels
    pushKey(SDLK_UP, true);     // not a key of this menu
    pushKey(SDLK_LEFT, true);
    pushKey(SDLK_SPACE, true);
    game.showLevelMenu();
    const Playing playing = playingSounds();
    EXPECT_EQ(playing.moves, 2);
    EXPECT_EQ(playing.confirms, 1);
    EXPECT_EQ(game.nextLevelIndex, 0);
}
