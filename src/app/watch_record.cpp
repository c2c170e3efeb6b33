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
    frameWaitMs = FullPace * 31.0 / pace - 1.0;
    runScreenLoop([this] { handleWatchEvent(); }, [this] { drawWatchFrame(); });
    frameWaitMs = 30.0;
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
    watchLabel.render(font.get(), "Record", OutlinedLabel::Gold, 3);
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
    watchLabel.draw(20, 6);
}
