#include <SDL/SDL.h>

#include "actors/checkpoint_rule.h"
#include "app/game.h"

// The play loop's side of a practised level: checkpoints taken and
// restored, the pause after a fall, the end of the level, and what is drawn
// over the level (the label and the progress line).

PlayCheckpoint Game::takeCheckpoint() const {
    PlayCheckpoint checkpoint;
    checkpoint.frame = playedFrames;
    checkpoint.camera = camera;
    checkpoint.score = level->score;
    checkpoint.scrollStep = level->scrollStep;
    checkpoint.bonusesTaken = takenBonuses.size();
    checkpoint.motion = hero->motion;
    checkpoint.body = *body;
    if (level->enemyAnimation) {
        checkpoint.enemyFrameIndex = level->enemyAnimation->frameIndex;
        checkpoint.enemyFrameClock = level->enemyAnimation->frameClock;
    }
    return checkpoint;
}

void Game::restoreCheckpoint(const PlayCheckpoint& checkpoint) {
    playedFrames = checkpoint.frame;
    camera = checkpoint.camera;
    level->score = checkpoint.score;
    level->scrollStep = checkpoint.scrollStep;
    // The bonuses taken since come back, the last taken first.
    while (takenBonuses.size() > checkpoint.bonusesTaken) {
        level->grid[static_cast<std::size_t>(takenBonuses.back())] = Bonus;
        takenBonuses.pop_back();
    }
    hero->motion = checkpoint.motion;
    Body restored = checkpoint.body;
    restored.grid = body->grid;
    restored.camera = body->camera;
    *body = restored;
    if (level->enemyAnimation) {
        level->enemyAnimation->frameIndex = checkpoint.enemyFrameIndex;
        level->enemyAnimation->frameClock = checkpoint.enemyFrameClock;
    }
    ghost.rewindTo(checkpoint.frame);
    worldGhost.rewindTo(checkpoint.frame);
}

// After the frame just played: a fall waits and goes back, the end of the
// level shows, or a checkpoint is taken when one is due and allowed here.
void Game::stepPractice() {
    const bool fell = body->fellOut != 0;
    const bool done = !fell && playedFrames > practice.finishFrame();
    if (fell || done) {
        if (fell) {
            practice.fell();
        } else {
            practice.finish();
        }
        // Shown still until the restore or the end.
        practiceFrame.reset(screen != nullptr
                                ? SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE)
                                : nullptr);
    } else if (practice.checkpointDue() &&
               checkpointAllowed(level->grid.data(), *body, hero->motion)) {
        practice.add(takeCheckpoint());
    } else {
        practice.framePlayed();
    }
    drawPracticeOverlay();
}

bool Game::drawPracticeStill() {
    if (!practice.waitingAfterFall() && !practice.finished()) {
        return false;
    }
    SDL_Rect where{0, 0, 0, 0};
    blitToScreen(practiceFrame.get(), where);
    if (practice.waitingAfterFall()) {
        if (practice.pauseOver()) {
            restoreCheckpoint(practice.last());
            practice.restored();
            practiceFrame.reset();
        }
        drawPracticeOverlay();
        return true;
    }
    finishedLabel.render(font.get(), "Niveau terminé", OutlinedLabel::Gold, 3);
    finishedLabel.draw(360, 200, true);
    if (practice.finishShown()) {
        running = false;
    }
    return true;
}

// "Entraînement" where a watched record says "Record", and under it the
// level as a line: how far the hero is, and a mark at each checkpoint.
void Game::drawPracticeOverlay() {
    practiceLabel.render(font.get(), "Entraînement", OutlinedLabel::Gold, 3);
    practiceLabel.draw(20, 6);
    if (screen == nullptr) {
        return;
    }
    constexpr int Left = 24;
    constexpr int Width = 496;
    constexpr int Top = 86;
    const auto at = [&](int32_t frame) {
        const int64_t clamped = frame < 0 ? 0 : (frame > finishFrame ? finishFrame : frame);
        return static_cast<Sint16>(Left + clamped * Width / (finishFrame > 0 ? finishFrame : 1));
    };
    const Uint32 ink = SDL_MapRGB(screen->format, 0x1f, 0x2a, 0x1c);
    const Uint32 cream = SDL_MapRGB(screen->format, 0xfb, 0xf6, 0xe4);
    const Uint32 gold = SDL_MapRGB(screen->format, 0xf0, 0xc5, 0x41);
    SDL_Rect line{Left - 2, Top - 2, Width + 4, 8};
    SDL_FillRect(screen, &line, ink);
    SDL_Rect travelled{Left, Top, static_cast<Uint16>(at(playedFrames) - Left), 4};
    SDL_FillRect(screen, &travelled, cream);
    for (const PlayCheckpoint& checkpoint : practice.checkpoints()) {
        SDL_Rect mark{static_cast<Sint16>(at(checkpoint.frame) - 2), Top - 6, 4, 16};
        SDL_FillRect(screen, &mark, ink);
        mark = SDL_Rect{static_cast<Sint16>(mark.x + 1), Top - 5, 2, 14};
        SDL_FillRect(screen, &mark, gold);
    }
    SDL_Rect hero{static_cast<Sint16>(at(playedFrames) - 5), Top - 3, 10, 10};
    SDL_FillRect(screen, &hero, ink);
    hero = SDL_Rect{static_cast<Sint16>(hero.x + 2), Top - 1, 6, 6};
    SDL_FillRect(screen, &hero, cream);
}
