#include <SDL/SDL.h>

#include <algorithm>
#include <cstdint>

#include "app/game.h"
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
    runScreenLoop([this] { handlePlayEvent(); }, [this] { drawPlayFrame(); });
    nextScreen = levelEnded ? Screen::LevelEnd : Screen::End;
}

void Game::handlePlayEvent() {
    // The hero sees every event first: the space bar is its only control.
    if (hero) {
        hero->handleEvent(event);
    }
    if (event.type == SDL_KEYDOWN) {
        if (event.key.keysym.sym == SDLK_ESCAPE) {
            running = false;
        } else if (event.key.keysym.sym == SDLK_LEFT && level) {
            level->scrollStep = 1;
        }
    } else if (event.type == SDL_QUIT) {
        running = false;
    }
}

void Game::drawPlayFrame() {
    if (!level || !hero || !body) {
        return;
    }
    level->runFrame();
    hero->update();

    // The hero takes what lies at its waist, two rows above its body's cell.
    // Beyond the grid's edges there is nothing to take.
    const int32_t index = cellIndex(body->gridColumn, body->gridRow - 2);
    const int32_t cell = index < 0 ? static_cast<int32_t>(Empty) : level->grid[index];
    if (cell == Bonus) {
        FSOUND_PlaySound(FSOUND_FREE, bonusSample.get());
        level->score += 50;
        level->grid[index] = Empty;
    } else if (cell == Enemy) {
        FSOUND_PlaySound(FSOUND_FREE, damageSample.get());
        level->score -= 100;
        // Drawn at the hero, so the player sees where the enemy struck.
        damageRect.x = toRectCoordinate(int64_t{body->x} - 50);
        damageRect.y = toRectCoordinate(int64_t{body->gridRow} * CellSize - 50);
        blitToScreen(damageImage.get(), damageRect);
        SDL_Flip(screen);
        SDL_Delay(200);
    }

    if (body->fellOut == 1) {
        running = false;
        levelEnded = true;
    }
}
