#include <SDL/SDL.h>

#include <algorithm>
#include <cstdint>

#include "app/game.h"
#include "app/key_event.h"
#include "screens/settings.h"
#include "world/cell_code.h"

// SDL_Rect positions are 16-bit; a far-off value is clamped rather than
// wrapped round to the other side of the screen.
static Sint16 toRectCoordinate(int64_t value) {
    return static_cast<Sint16>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

void Game::playLevel() {
    if (!level || !hero || !body) {
        // Nothing was started (the flow never gets here without startGame).
        nextScreen = Screen::End;
        return;
    }
    levelEnded = false;
    running = true;
    frameWaitMs = FullPace * 31.0 / pace - 1.0;
    runScreenLoop([this] { handlePlayEvent(); }, [this] { drawPlayFrame(); });
    frameWaitMs = 30.0;
    if (paused()) {
        // Left during a pause (Escape, the window closed): the music comes back
        // for the next screen.
        pausedByKey = false;
        pausedByFocusLoss = false;
        endPause();
    }
    if (practising) {
        // Escape and the end of the level go back to the level menu.
        practiceFrame.reset();
        levelMenuFirstSelection = currentLevel;
        nextScreen = event.type == SDL_QUIT ? Screen::End : Screen::LevelMenu;
        return;
    }
    nextScreen = levelEnded ? Screen::LevelEnd : Screen::End;
}

void Game::handlePlayEvent() {
    if (handlePauseEvent()) {
        return;
    }
    const bool spaceKey = (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) &&
                          event.key.keysym.sym == SDLK_SPACE;
    if (spaceKey) {
        spaceDown = event.type == SDL_KEYDOWN;
    }
    // The hero sees every event first: the space bar is its only control.
    // While paused it hears nothing; endPause tells it of a release.
    if (hero && !paused()) {
        hero->handleEvent(event);
        if (spaceKey) {
            recordSpace(spaceDown);
        }
    }
    if (event.type == SDL_KEYDOWN) {
        if (event.key.keysym.sym == SDLK_ESCAPE) {
            running = false;
        } else if (event.key.keysym.sym == SDLK_LEFT && level) {
            level->scrollStep = 1;
        } else if (event.key.keysym.sym == SDLK_g) {
            toggleGhost();
        } else if (event.key.keysym.sym == SDLK_c && practising) {
            practice.askForCheckpoint();
        }
    } else if (event.type == SDL_QUIT) {
        running = false;
    }
}

// Whether `event` says that the window lost the focus (or was iconified),
// FocusLost, or got it back, FocusBack; else NoFocusChange. A browser tells of
// its tab's focus and visibility in SDL 2's window events.
enum FocusChange { NoFocusChange, FocusLost, FocusBack };

static FocusChange focusChangeOf(const SDL_Event& event) {
#ifdef __EMSCRIPTEN__
    if (event.type == SDL_WINDOWEVENT) {
        switch (event.window.event) {
            case SDL_WINDOWEVENT_FOCUS_LOST:
            case SDL_WINDOWEVENT_HIDDEN:
                return FocusLost;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
            case SDL_WINDOWEVENT_SHOWN:
                return FocusBack;
            default:
                break;
        }
    }
#else
    if (event.type == SDL_ACTIVEEVENT &&
        (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0) {
        return event.active.gain == 0 ? FocusLost : FocusBack;
    }
#endif
    return NoFocusChange;
}

// P pauses and resumes; losing the window's focus (or being iconified)
// pauses until the focus comes back. A pause asked for with P outlasts the
// focus coming back.
bool Game::handlePauseEvent() {
    const bool wasPaused = paused();
    const FocusChange focus = focusChangeOf(event);
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_p) {
        pausedByKey = !wasPaused;
        pausedByFocusLoss = false;
    } else if (focus != NoFocusChange) {
        pausedByFocusLoss = focus == FocusLost;
    } else {
        return false;
    }
    if (paused() && !wasPaused) {
        beginPause();
    } else if (!paused() && wasPaused) {
        endPause();
    }
    return true;
}

void Game::beginPause() {
    // Events come between frames, so the screen holds the last frame drawn.
    pausedFrame.reset(screen != nullptr ? SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE)
                                        : nullptr);
    heroHoldsSpace = spaceDown;
    FSOUND_Stream_SetVolume(music.get(), 64);
}

void Game::endPause() {
    pausedFrame.reset();
    FSOUND_Stream_SetVolume(music.get(), 255);
    // A space bar let go during the pause is heard now, so that the hero does
    // not float on for a key no longer held.
    if (hero && heroHoldsSpace && !spaceDown) {
        hero->handleEvent(keyEvent(SDL_KEYUP, SDLK_SPACE));
        recordSpace(false);
    }
}

void Game::recordSpace(bool press) {
    runRecorded = runRecorded && addReplayEvent(runEvents, playedFrames + 1, press);
}

void Game::toggleGhost() {
    if (ghostShown && !worldGhostChosen && worldBoard) {
        worldGhostChosen = true;
    } else {
        worldGhostChosen = false;
        ghostShown = !ghostShown;
    }
    saveSettings();
}

void Game::saveSettings() {
    Settings settings;
    settings.ghostShown = ghostShown;
    settings.worldGhost = worldGhostChosen;
    settings.pace = pace;
    settings.server = serverUrl;
    writeSettings(settings);
}

void Game::drawPlayFrame() {
    if (!level || !hero || !body) {
        return;
    }
    if (paused()) {
        // Nothing moves or scores: the frame stays as it was under the picture.
        SDL_Rect where{0, 0, 0, 0};
        blitToScreen(pausedFrame.get(), where);
        where = SDL_Rect{0, 0, 0, 0};
        blitToScreen(pauseImage.get(), where);
        return;
    }
    if (practising && drawPracticeStill()) {
        return;
    }
    ++playedFrames;
    level->runFrame();
    ghost.stepAndDraw(ghostShown && !worldGhostChosen);  // under the hero
    worldGhost.stepAndDraw(ghostShown && worldGhostChosen);
    hero->update();

    // The hero takes what lies at its waist, two rows above its body's cell.
    // Beyond the grid's edges there is nothing to take.
    const int32_t index = cellIndex(body->gridColumn, body->gridRow - 2);
    const int32_t cell = index < 0 ? static_cast<int32_t>(Empty) : level->grid[index];
    if (cell == Bonus) {
        FSOUND_PlaySound(FSOUND_FREE, bonusSample.get());
        level->score += 50;
        level->grid[index] = Empty;
        takenBonuses.push_back(index);
    } else if (cell == Enemy) {
        FSOUND_PlaySound(FSOUND_FREE, damageSample.get());
        level->score -= 100;
        // Drawn at the hero, so the player sees where the enemy struck.
        damageRect.x = toRectCoordinate(int64_t{body->x} - 50);
        damageRect.y = toRectCoordinate(int64_t{body->gridRow} * CellSize - 50);
        blitToScreen(damageImage.get(), damageRect);
        display.present();
        SDL_Delay(200);
    }

    if (practising) {
        stepPractice();
    } else if (body->fellOut == 1) {
        running = false;
        levelEnded = true;
    }
}
