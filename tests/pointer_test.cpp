#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/game.h"
#include "app/pointer_keys.h"
#include "menu_fixture.h"
#include "play_fixture.h"
#include "test_support.h"

namespace {

SDL_Event buttonEvent(bool down, int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.type = event.type;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    return event;
}

void pushButton(bool down, int x, int y) {
    SDL_Event event = buttonEvent(down, x, y);
    SDL_PushEvent(&event);
}

void pushClick(int x, int y) {
    pushButton(true, x, y);
    pushButton(false, x, y);
}

using On = PointerKeys::Screen;

}  // namespace

// What a press and its release stand for, screen by screen, in the picture's
// own size, enlarged three times, and in full screen with bars beside it; in
// the level menu, also when the press is held before its release.
TEST(Pointer, StandsForTheKeysOfEachScreen) {
    struct Case {
        On screen;
        int32_t selection;
        bool paused;
        SDL_Rect place;
        int x, y;
        const char* keys;
        uint32_t heldMs = 0;
        bool worldBoard = false;  // the level menu shows the board's lines
    };
    const SDL_Rect plain{0, 0, 720, 480};
    const SDL_Rect tripled{0, 0, 2160, 1440};
    const SDL_Rect barred{240, 0, 1440, 960};  // 1920 x 960 full screen
    const Case cases[] = {
        {On::TitleMenu, 0, false, plain, 480, 250, " +space -space"},
        {On::TitleMenu, 0, false, plain, 365, 420, " +down -down +down -down +space -space"},
        {On::TitleMenu, 2, false, plain, 599, 300, " +up -up +space -space"},
        {On::TitleMenu, 1, false, tripled, 3 * 480, 3 * 394, " +down -down +space -space"},
        {On::TitleMenu, 0, false, plain, 480, 285, ""},  // between two entries
        {On::TitleMenu, 0, false, plain, 100, 250, ""},
        {On::LevelMenu, 0, false, plain, 10, 240, " +left -left"},
        {On::LevelMenu, 0, false, plain, 275, 236, " +left -left"},  // the left arrow
        {On::LevelMenu, 0, false, plain, 300, 10, " +space -space"},
        {On::LevelMenu, 0, false, plain, 680, 470, " +space -space"},
        {On::LevelMenu, 0, false, plain, 705, 236, " +right -right"},  // the right arrow
        {On::LevelMenu, 0, false, barred, 240 + 1400, 500, " +right -right"},
        {On::LevelMenu, 0, false, barred, 100, 500, ""},  // on a bar
        {On::LevelMenu, 0, false, plain, 490, 240, " +space -space", 599},
        {On::LevelMenu, 0, false, plain, 490, 240, " +r -r", 600},  // a long press
        {On::LevelMenu, 0, false, plain, 20, 300, " +left -left", 5000},
        {On::LevelMenu, 0, false, plain, 60, 220, " +e -e"},             // "E : entraînement"
        {On::LevelMenu, 0, false, tripled, 3 * 200, 3 * 250, " +v -v"},  // "V : allure"
        {On::LevelMenu, 0, false, plain, 60, 290, " +left -left"},       // under them
        {On::LevelMenu, 0, false, plain, 60, 290, " +c -c", 0, true},    // the board's lines
        // On the board, the highlight is the 4th row in view.
        {On::WorldBoard, 3, false, plain, 300, 62 + 27 + 5, " +up -up +up -up +space -space"},
        {On::WorldBoard, 3, false, plain, 600, 62 + 27 * 5 + 5,
         " +down -down +down -down +space -space"},
        {On::WorldBoard, 3, false, plain, 300, 62 + 27 * 3 + 26, " +space -space"},
        {On::WorldBoard, 3, false, plain, 360, 450, " +n -n"},  // "N : choisir un nom"
        {On::WorldBoard, 3, false, plain, 20, 20, " +escape -escape"},
        {On::NameEntry, 0, false, plain, 360, 240, " +escape -escape"},
        {On::PlayLevel, 0, false, plain, 700, 20, " +space -space"},
        {On::PlayLevel, 0, false, barred, 10, 10, " +space -space"},
        {On::PlayLevel, 0, true, plain, 300, 300, " +p -p"},
        {On::LevelEnd, 0, false, plain, 250, 250, " +up -up +space -space"},
        {On::LevelEnd, 0, false, tripled, 3 * 120, 3 * 340, " +down -down +space -space"},
        {On::LevelEnd, 0, false, plain, 600, 250, ""},
        {On::Other, 0, false, plain, 360, 240, ""},
    };
    for (const Case& c : cases) {
        PointerKeys pointer;
        PointerKeys::Target target;
        target.screen = c.screen;
        target.selection = c.selection;
        target.paused = c.paused;
        target.worldBoard = c.worldBoard;
        target.place = c.place;
        target.now = 1000;
        std::deque<SDL_Event> keys;
        EXPECT_TRUE(pointer.translate(buttonEvent(true, c.x, c.y), target, keys));
        pointer.tick(target.now + c.heldMs, keys);
        EXPECT_TRUE(pointer.translate(buttonEvent(false, c.x, c.y), target, keys));
        EXPECT_EQ(keysOf(keys), c.keys)
            << "screen " << static_cast<int>(c.screen) << " at " << c.x << ", " << c.y;
    }
}

// In a level the pointer holds Space once, however many fingers come down,
// until the last one lifts (fingers lift in any order, and some browsers
// lift several with one button release); the wheel and the other buttons
// stand for nothing, and keys are left alone.
TEST(Pointer, HoldsSpaceUntilTheLastFingerLifts) {
    PointerKeys pointer;
    PointerKeys::Target target;
    target.screen = On::PlayLevel;
    std::deque<SDL_Event> keys;
    const auto finger = [&](bool down, int64_t id) {
        pointer.translate(buttonEvent(down, 10, 10), target, keys);
        down ? pointer.fingerDown(id) : pointer.fingerUp(id, keys);
    };
    finger(true, 7);
    finger(true, 3);
    // Only in practice does a second finger take a checkpoint.
    target.practising = true;
    finger(true, 4);
    finger(false, 4);
    target.practising = false;
    pointer.translate(buttonEvent(true, 10, 10, SDL_BUTTON_RIGHT), target, keys);
    pointer.translate(buttonEvent(true, 10, 10, SDL_BUTTON_WHEELUP), target, keys);
    pointer.translate(buttonEvent(false, 10, 10, SDL_BUTTON_WHEELUP), target, keys);
    finger(false, 7);
    EXPECT_EQ(keysOf(keys), " +space +c -c");
    finger(true, 9);
    pointer.translate(buttonEvent(false, 10, 10), target, keys);
    pointer.fingerUp(3, keys);
    EXPECT_EQ(keysOf(keys), " +space +c -c");
    pointer.fingerUp(9, keys);
    EXPECT_EQ(keysOf(keys), " +space +c -c -space");

    // More fingers than are counted: Space still waits for all of them.
    keys.clear();
    for (int64_t id = 0; id < 12; ++id) {
        finger(true, id);
    }
    for (int64_t id = 0; id < 11; ++id) {
        finger(false, id);
    }
    EXPECT_EQ(keysOf(keys), " +space");

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    EXPECT_FALSE(pointer.translate(key, target, keys));
}

// Clicks on the real menus lead where the keys lead. The screens' handlers
// take the events one by one, so that clicks that do nothing fail the test
// rather than leave a menu waiting.
TEST(Pointer, DrivesTheMenusAsTheKeysDo) {
    menu_fixture::StartedGame started;
    Game& game = started.game;
    const auto handleWaiting = [&game](void (Game::*handle)()) {
        game.running = true;
        game.menuConfirmed = false;
        while (game.pollEvent()) {
            (game.*handle)();
        }
    };

    game.nextScreen = Screen::TitleMenu;
    game.selection = 0;
    pushClick(480, 322);  // "Crédits": highlighted, nothing to do
    pushClick(100, 100);  // not on an entry
    handleWaiting(&Game::handleTitleEvent);
    EXPECT_EQ(game.selection, 1);
    EXPECT_TRUE(game.running);
    pushClick(480, 394);  // "Quitter"
    handleWaiting(&Game::handleTitleEvent);
    EXPECT_EQ(game.selection, 2);
    EXPECT_FALSE(game.running);
    EXPECT_FALSE(game.menuConfirmed);
    pushClick(480, 250);  // "Jouer"
    handleWaiting(&Game::handleTitleEvent);
    EXPECT_EQ(game.selection, 0);
    EXPECT_TRUE(game.menuConfirmed);

    // Right, right (the last level stops it), left, right, then start.
    game.nextScreen = Screen::LevelMenu;
    game.levelCount = 2;
    game.selection = 0;
    for (const int x : {700, 700, 700, 20, 700, 360}) {
        pushClick(x, 240);
    }
    handleWaiting(&Game::handleLevelMenuEvent);
    EXPECT_EQ(game.selection, 1);
    EXPECT_TRUE(game.menuConfirmed);

    // At the end of a level: beside the choices nothing, then one of them.
    game.nextScreen = Screen::LevelEnd;
    for (const auto& [x, y, choice] : {std::tuple{250, 324, 4}, std::tuple{250, 250, 3}}) {
        game.endChoice = 7 - choice;
        pushClick(600, 400);
        pushClick(x, y);
        handleWaiting(&Game::handleLevelEndEvent);
        EXPECT_EQ(game.endChoice, choice);
        EXPECT_TRUE(game.menuConfirmed);
    }
}

// A press and release of the mouse at the same frames as the space bar's
// give the hero the same height in every frame; a click while paused goes on.
TEST(Pointer, JumpsAsTheSpaceBarDoesAndResumesAPause) {
    menu_fixture::DummyDrivers drivers;
    TempDir dir;
    play::writeCommonData();
    writeFile("Niveaux/test-0.lvl", play::levelText(400));
    const auto heights = [](bool mouse) {
        Game game(GameFlow::StartupOnly);
        game.levelFiles[0] = "Niveaux/test-0.lvl";
        game.startGame(0);
        game.running = true;
        std::vector<int32_t> bodyY;
        for (int frame = 0; frame < 120; ++frame) {
            // Jumps: short, long, and one pressed again while falling.
            for (const auto& [down, up] :
                 {std::pair{10, 14}, std::pair{40, 70}, std::pair{85, 95}}) {
                if (frame == down || frame == up) {
                    if (mouse) {
                        pushButton(frame == down, 360, 240);
                    } else {
                        frame == down ? pushKey(SDLK_SPACE, true) : pushKeyUp(SDLK_SPACE);
                    }
                }
            }
            while (game.pollEvent()) {
                game.handlePlayEvent();
            }
            game.drawPlayFrame();
            bodyY.push_back(game.body->y);
        }
        if (mouse) {
            pushKey(SDLK_p);
            pushClick(100, 100);
            while (game.pollEvent()) {
                game.handlePlayEvent();
            }
            EXPECT_FALSE(game.paused());
        }
        return bodyY;
    };
    const std::vector<int32_t> byKey = heights(false);
    EXPECT_EQ(heights(true), byKey);
    EXPECT_LT(*std::min_element(byKey.begin(), byKey.end()), 290 - 60);  // it did jump
}
