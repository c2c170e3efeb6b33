#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include "app/game.h"
#include "app/key_event.h"

// The record run of level nextLevelIndex (watchedRun, loaded and checked by
// the level menu, or a run of the world board checked by its screen) played
// as the level is played, its keys given to the hero at their frames, under
// watchTitle. Any key, button or tap, or the run's end, goes back to the
// screen it came from (watchReturn) with that level highlighted.
void Game::watchRecord() {
    const int32_t index = nextLevelIndex;
    if (!beginWatch(index)) {
        nextScreen = watchReturn;
        watchReturn = Screen::LevelMenu;
        return;
    }
    // A run of the world board was played at full pace.
    const int32_t shownPace = watchReturn == Screen::WorldBoard ? FullPace : pace;
    frameWaitMs = FullPace * 31.0 / shownPace - 1.0;
    runScreenLoop([this] { handleWatchEvent(); }, [this] { drawWatchFrame(); });
    frameWaitMs = 30.0;
    watchedRun = ReplayData{};
    levelMenuFirstSelection = index;
    nextScreen = event.type == SDL_QUIT ? Screen::End : watchReturn;
    watchReturn = Screen::LevelMenu;
}

bool Game::beginWatch(int32_t levelIndex) {
    startGame(levelIndex);
    if (nextScreen != Screen::PlayLevel || watchedRun.frames <= 0) {
        return false;
    }
    ghost.clear();  // the run itself is on show
    worldGhost.clear();
    watchedEvent = 0;
    watchLabel.render(font.get(), watchTitle, OutlinedLabel::Gold, 3);
    // A long name of the world board stays clear of the score.
    if (watchLabel.width() > 500) {
        watchLabel.render(smallFont.get(), watchTitle, OutlinedLabel::Gold, 2);
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
    watchLabel.draw(20, 6);
}
