#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include "app/game.h"
#include "app/key_event.h"

// The record run of level nextLevelIndex (watchedRun, loaded and checked by
// the level menu) played as the level is played, its keys given to the hero
// at their frames, under a "Record" label. Any key, button or tap, or the
// run's end, goes back to the level menu with that level highlighted.
void Game::watchRecord() {
    const int32_t index = nextLevelIndex;
    if (!beginWatch(index)) {
        nextScreen = Screen::LevelMenu;
        return;
    }
    runScreenLoop([this] { handleWatchEvent(); }, [this] { drawWatchFrame(); });
    watchedRun = ReplayData{};
    levelMenuFirstSelection = index;
    nextScreen = event.type == SDL_QUIT ? Screen::End : Screen::LevelMenu;
}

bool Game::beginWatch(int32_t levelIndex) {
    startGame(levelIndex);
    if (nextScreen != Screen::PlayLevel || watchedRun.frames <= 0) {
        return false;
    }
    ghost.clear();  // the run itself is on show
    watchedEvent = 0;
    if (font && !watchLabel) {
        // Gold outlined in the sprites' ink, as the menus' titles are.
        watchLabel.reset(
            TTF_RenderText_Blended(font.get(), "Record", SDL_Color{0xf0, 0xc5, 0x41, 0}));
        watchLabelOutline.reset(
            TTF_RenderText_Blended(font.get(), "Record", SDL_Color{0x1f, 0x2a, 0x1c, 0}));
    }
    levelEnded = false;
    running = true;
    nextScreen = Screen::WatchRecord;
    return true;
}

void Game::handleWatchEvent() {
    if (event.type == SDL_KEYDOWN || event.type == SDL_QUIT) {
        running = false;
    }
}

void Game::drawWatchFrame() {
    if (!hero) {
        return;
    }
    const std::vector<ReplayEvent>& events = watchedRun.events;
    while (watchedEvent < events.size() && events[watchedEvent].frame <= playedFrames + 1) {
        hero->handleEvent(
            keyEvent(events[watchedEvent].press ? SDL_KEYDOWN : SDL_KEYUP, SDLK_SPACE));
        ++watchedEvent;
    }
    drawPlayFrame();
    static constexpr Sint16 Outline[][2] = {{-3, 0},  {3, 0},  {0, -3}, {0, 3},
                                            {-2, -2}, {2, -2}, {-2, 2}, {2, 2}};
    for (const auto& offset : Outline) {
        SDL_Rect where{static_cast<Sint16>(20 + offset[0]), static_cast<Sint16>(6 + offset[1]), 0,
                       0};
        blitToScreen(watchLabelOutline.get(), where);
    }
    SDL_Rect where{20, 6, 0, 0};
    blitToScreen(watchLabel.get(), where);
}
