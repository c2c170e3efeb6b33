#include "app/game.h"
#include "app/key_event.h"
#include "net/board_client.h"
#include "net/player_name.h"
#include "screens/story.h"
#include "util/atomic_file.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The running game, for the page's tests to read through the probe below.
static Game* runningGame = nullptr;

enum class Probe {
    Screen,
    HeroY,
    Score,
    Record,
    Paused,
    Pace,
    Practising,
    Checkpoints,
    PlayedFrames,
    NameState,
    WorldRank,
    OutboxRuns,
    WorldGhostY,
    BoardRows,
};

// The world board's side of the probe, -1 without a board.
int probeBoard(Game& game, Probe what) {
    BoardClient* board = game.worldBoard.get();
    if (board == nullptr || !board->enabled()) {
        return -1;
    }
    switch (what) {
        case Probe::NameState:
            return game.nameSent ? static_cast<int>(board->nameState()) : 0;
        case Probe::WorldRank: {
            const BoardClient::Board& shown = board->board(game.selection);
            return shown.ranked ? static_cast<int>(shown.around.rank) : -1;
        }
        case Probe::OutboxRuns:
            return static_cast<int>(board->outbox().runs.size());
        case Probe::WorldGhostY: {
            const ReplayRunner* runner = game.worldGhost.runner();
            return runner != nullptr ? runner->body.y : -1;
        }
        case Probe::BoardRows:
            return static_cast<int>(game.boardList.rows().size());
        default:
            return -1;
    }
}

// One number about the running game, -1 when there is none: the screen
// (Screen's order), the hero body's y, the level's score, the record of
// the level being played, whether it is paused (1) or not (0), the pace in
// percent, whether the level is practised (1) or not (0), and how many
// checkpoints the practice holds, and the frames of the level played. With
// a world board: the name entry's state (BoardClient::NameState's order
// once the name is sent, else 0), the player's rank on the highlighted
// level, the runs waiting to be sent, the world record ghost's y, and the
// board screen's number of rows.
extern "C" EMSCRIPTEN_KEEPALIVE int probeGame(int what) {
    Game* game = runningGame;
    if (game == nullptr) {
        return -1;
    }
    if (what >= static_cast<int>(Probe::NameState)) {
        return probeBoard(*game, static_cast<Probe>(what));
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
        case Probe::PlayedFrames:
            return game->playedFrames;
        default:
            return -1;
    }
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

// Types the character `code` (a UTF-16 unit, as SDL 1.2 reports one) as a
// key would: the page's own name field hands its text over this way.
extern "C" EMSCRIPTEN_KEEPALIVE void typeGameCharacter(int code) {
    SDL_Event event = keyEvent(SDL_KEYDOWN, SDLK_UNKNOWN);
    event.key.keysym.unicode = static_cast<Uint16>(code);
    SDL_PushEvent(&event);
    event = keyEvent(SDL_KEYUP, SDLK_UNKNOWN);
    SDL_PushEvent(&event);
}

// Whether a name for the world board may hold the character `code`, so
// that the page's field keeps only what the game's would.
extern "C" EMSCRIPTEN_KEEPALIVE int nameAllows(int code) {
    return code >= 0 && isPlayerNameCharacter(static_cast<uint32_t>(code)) ? 1 : 0;
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
