#include "app/game.h"
#include "app/key_event.h"
#include "screens/story.h"
#include "util/atomic_file.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The running game, for the page's tests to read through the probe below.
static const Game* runningGame = nullptr;

enum class Probe { Screen, HeroY, Score, Record, Paused, Pace, Practising, Checkpoints };

// One number about the running game, -1 when there is none: the screen
// (Screen's order), the hero body's y, the level's score, the record of
// the level being played, whether it is paused (1) or not (0), the pace in
// percent, whether the level is practised (1) or not (0), and how many
// checkpoints the practice holds.
extern "C" EMSCRIPTEN_KEEPALIVE int probeGame(int what) {
    const Game* game = runningGame;
    if (game == nullptr) {
        return -1;
    }
    switch (static_cast<Probe>(what)) {
        case Probe::Screen:
            return static_cast<int>(game->nextScreen);
        case Probe::HeroY:
            return game->body ? game->body->y : -1;
        case Probe::Score:
            return game->level ? game->level->score : -1;
        case Probe::Record:
            return game->currentLevel >= 0 && game->currentLevel < MaxRecords
                       ? game->records[game->currentLevel]
                       : -1;
        case Probe::Paused:
            return game->paused() ? 1 : 0;
        case Probe::Pace:
            return game->pace;
        case Probe::Practising:
            return game->practising ? 1 : 0;
        case Probe::Checkpoints:
            return static_cast<int>(game->practice.checkpoints().size());
    }
    return -1;
}

// Presses and releases `key` (an SDLKey) for the page's own buttons, such
// as the pause button of touch screens: the game hears it in its event
// queue as it hears the keyboard.
extern "C" EMSCRIPTEN_KEEPALIVE void pressGameKey(int key) {
    for (const auto type : {SDL_KEYDOWN, SDL_KEYUP}) {
        SDL_Event event = keyEvent(type, static_cast<SDLKey>(key));
        SDL_PushEvent(&event);
    }
}
#endif

int main(int, char**) {
    // The page keeps Save/ in its own storage; the data tree ships the
    // first saved game beside it.
    openPersistentFolder("Save", "save.sv", "Shipped/save.sv");
#ifdef __EMSCRIPTEN__
    PointerKeys::watchCancelledTouches();
#endif
    raiseSavedLevelCount("Shipped/save.sv");
    bool failed = false;
    {
        Game game(GameFlow::StartupOnly);
#ifdef __EMSCRIPTEN__
        runningGame = &game;
#endif
        game.runScreenFlow();
        failed = game.startupFailed;
#ifdef __EMSCRIPTEN__
        runningGame = nullptr;
#endif
    }
    return failed ? 1 : 0;
}
