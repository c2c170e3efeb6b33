#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/gamepad_keys.h"
#include "menu_fixture.h"
#include "play_fixture.h"
#include "test_support.h"

namespace {

void pushTap(Uint8 button) {
    pushButton(button, true);
    pushButton(button, false);
}

void pushHat(Uint8 value) {
    SDL_Event event{};
    event.type = SDL_JOYHATMOTION;
    event.jhat.type = SDL_JOYHATMOTION;
    event.jhat.value = value;
    SDL_PushEvent(&event);
}

void pushStick(Uint8 axis, Sint16 value) {
    SDL_Event event{};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.type = SDL_JOYAXISMOTION;
    event.jaxis.axis = axis;
    event.jaxis.value = value;
    SDL_PushEvent(&event);
}

constexpr Uint8 ButtonA = 0, ButtonX = 2, ButtonY = 3, Back = 6, Start = 7;

}  // namespace

TEST(Gamepad, PressesEachKeyOnceAndReleasesItWithTheLastHolder) {
    GamepadKeys pad;
    std::deque<SDL_Event> keys;
    const auto feed = [&](Uint8 type, int what, int value) {
        SDL_Event event{};
        event.type = type;
        if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP) {
            event.jbutton.button = static_cast<Uint8>(what);
        } else if (type == SDL_JOYHATMOTION) {
            event.jhat.value = static_cast<Uint8>(value);
        } else {
            event.jaxis.axis = static_cast<Uint8>(what);
            event.jaxis.value = static_cast<Sint16>(value);
        }
        EXPECT_TRUE(pad.translate(event, SDLK_p, keys));
    };
    // Two face buttons: one press, one release.
    feed(SDL_JOYBUTTONDOWN, ButtonA, 0);
    feed(SDL_JOYBUTTONDOWN, ButtonY, 0);
    feed(SDL_JOYBUTTONUP, ButtonA, 0);
    feed(SDL_JOYBUTTONUP, ButtonY, 0);
    // The d-pad from left to up-right to nothing; the stick held left with
    // the d-pad, then resting near the middle (no new press), then let go.
    feed(SDL_JOYHATMOTION, 0, SDL_HAT_LEFT);
    feed(SDL_JOYHATMOTION, 0, SDL_HAT_RIGHTUP);
    feed(SDL_JOYHATMOTION, 0, SDL_HAT_CENTERED);
    feed(SDL_JOYAXISMOTION, 0, -30000);
    feed(SDL_JOYHATMOTION, 0, SDL_HAT_LEFT);
    feed(SDL_JOYHATMOTION, 0, SDL_HAT_CENTERED);
    feed(SDL_JOYAXISMOTION, 0, -12000);
    feed(SDL_JOYAXISMOTION, 0, -3000);
    feed(SDL_JOYAXISMOTION, 1, 32767);
    feed(SDL_JOYAXISMOTION, 1, 0);
    // Start and Back; other buttons and axes stand for nothing.
    feed(SDL_JOYBUTTONDOWN, Start, 0);
    feed(SDL_JOYBUTTONUP, Start, 0);
    feed(SDL_JOYBUTTONDOWN, Back, 0);
    feed(SDL_JOYBUTTONUP, Back, 0);
    feed(SDL_JOYBUTTONDOWN, 4, 0);
    feed(SDL_JOYAXISMOTION, 3, 32767);
    EXPECT_EQ(keysOf(keys),
              " +space -space +left -left +right +up -right -up +left -left +down -down +p -p"
              " +escape -escape");

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    EXPECT_FALSE(pad.translate(key, SDLK_p, keys));
}

// In a browser the triggers sit where Linux puts Back and Start, and the
// d-pad is four buttons.
TEST(Gamepad, ReadsTheBrowsersStandardLayout) {
    GamepadKeys pad(GamepadKeys::Layout::Browser);
    std::deque<SDL_Event> keys;
    for (const int button : {6, 7, 1, 8, 9, 12, 15}) {
        for (const Uint8 type : {SDL_JOYBUTTONDOWN, SDL_JOYBUTTONUP}) {
            SDL_Event event{};
            event.type = type;
            event.jbutton.button = static_cast<Uint8>(button);
            pad.translate(event, SDLK_SPACE, keys);
        }
    }
    EXPECT_EQ(keysOf(keys), " +space -space +escape -escape +space -space +up -up +right -right");
}

// The same play with the keyboard and with a pad, on the real screens.
TEST(Gamepad, DrivesTheMenusAsTheKeysDo) {
    menu_fixture::StartedGame started;
    Game& game = started.game;
    game.nextScreen = Screen::TitleMenu;
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_UP);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_SPACE);
    game.showTitleMenu();
    const int32_t keySelection = game.selection;
    const Screen keyNext = game.nextScreen;

    game.nextScreen = Screen::TitleMenu;
    pushHat(SDL_HAT_DOWN);
    pushHat(SDL_HAT_CENTERED);
    pushStick(1, 30000);
    pushStick(1, 0);
    pushHat(SDL_HAT_UP);
    pushHat(SDL_HAT_CENTERED);
    pushStick(1, 20000);
    pushStick(1, -2000);
    pushTap(ButtonY);
    game.showTitleMenu();
    EXPECT_EQ(game.selection, keySelection);
    EXPECT_EQ(game.nextScreen, keyNext);
    EXPECT_EQ(keyNext, Screen::End);  // entry 2: quit

    // Start confirms the level menu's highlighted level, as Space does.
    game.nextScreen = Screen::LevelMenu;
    pushStick(0, 32767);
    pushStick(0, 0);
    pushTap(Start);
    game.showLevelMenu();
    EXPECT_EQ(game.nextScreen, Screen::StartGame);
    EXPECT_EQ(game.nextLevelIndex, 1);
    EXPECT_FALSE(game.practising);
    // X practises it, as E does.
    game.nextScreen = Screen::LevelMenu;
    pushTap(ButtonX);
    game.showLevelMenu();
    EXPECT_EQ(game.nextScreen, Screen::StartGame);
    EXPECT_TRUE(game.practising);

    // Back is Escape.
    game.nextScreen = Screen::TitleMenu;
    pushTap(Back);
    pushTap(ButtonA);  // a batch goes on after Escape, as with the keys
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::LevelMenu);
    pushTap(Back);
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::End);
}

TEST(Gamepad, JumpsAndPausesInALevel) {
    menu_fixture::DummyDrivers drivers;
    TempDir dir;
    play::writeCommonData();
    writeFile("Niveaux/test-0.lvl", play::levelText(400));
    Game game(GameFlow::StartupOnly);
    game.levelFiles[0] = "Niveaux/test-0.lvl";
    game.startGame(0);
    ASSERT_EQ(game.nextScreen, Screen::PlayLevel);
    game.running = true;
    const auto handleWaiting = [&game] {
        while (game.pollEvent()) {
            game.handlePlayEvent();
        }
    };
    for (int frame = 0; frame < 8; ++frame) {
        handleWaiting();
        game.drawPlayFrame();
    }
    ASSERT_EQ(game.hero->motion.motionState, MotionOnGround);

    pushButton(ButtonA, true);
    handleWaiting();
    EXPECT_EQ(game.hero->motion.motionState, MotionInAir);
    EXPECT_EQ(game.hero->motion.verticalSpeed, -10.0);
    pushButton(ButtonA, false);
    handleWaiting();
    EXPECT_EQ(game.hero->motion.verticalSpeed, 5.0);

    pushTap(Start);
    handleWaiting();
    EXPECT_TRUE(game.paused());
    pushTap(Start);
    handleWaiting();
    EXPECT_FALSE(game.paused());
}
