#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <cstdio>
#include <memory>

#include "app/game.h"
#include "screens/records.h"
#include "screens/replay_file.h"
#include "util/atomic_file.h"
#include "world/level_extent.h"

void Game::showLevelEnd() {
    endChoice = 3;
    menuConfirmed = false;
    running = true;
    endAnimation.reset();
    endAnimation = std::make_unique<Animation>("Title/gameover.imga", 0.1);

    const int32_t score = level ? level->score : 0;
    runPercent = progressPercent(playedFrames, finishFrame);
    countAttempt(currentLevel, runPercent, progress);
    // Only levels 0 to 9 have a record slot. Any other level keeps no record,
    // and the screen shows the score just reached in its place. A slower
    // pace's records are its own, beside the full pace's.
    int32_t shownRecord = score;
    if (currentLevel >= 0 && currentLevel < MaxRecords && pace == FullPace) {
        int32_t& record = records[currentLevel];
        if (score > record) {
            // Kept for the rest of the run even if the file cannot be written.
            writeRecordFile(currentLevel, score);
            record = score;
            writeRecordRun(score);
        }
        shownRecord = record;
    } else if (currentLevel >= 0 && currentLevel < MaxRecords) {
        shownRecord = readRecordFile(currentLevel, pace);
        if (score > shownRecord) {
            writeRecordFile(currentLevel, score, pace);
            shownRecord = score;
            writeRecordRun(score);
        }
    }
    std::snprintf(recordText, sizeof recordText, "%ld", static_cast<long>(shownRecord));
    recordTextSurface.reset();
    if (font) {
        recordTextSurface.reset(
            TTF_RenderText_Blended(font.get(), recordText, SDL_Color{0, 0, 0, 0}));
    }

    runScreenLoop([this] { handleLevelEndEvent(); }, [this] { drawLevelEndFrame(); });

    if (menuConfirmed && endChoice == 3) {
        nextScreen = Screen::StartGame;
        nextLevelIndex = currentLevel;
    } else if (menuConfirmed && endChoice == 4) {
        nextScreen = Screen::TitleMenu;
    } else {
        nextScreen = Screen::End;
    }
}

// Kept after the record, which never waits for it nor depends on it. A run
// that cannot be written (or holds too many events) leaves the record
// without a replay: the last record's run is removed rather than shown as
// this one.
void Game::writeRecordRun(int32_t score) {
    ReplayData run;
    run.levelFingerprint = level ? level->fileFingerprint : 0;
    run.score = score;
    run.frames = playedFrames;
    run.events = runEvents;
    if (!runRecorded || !level || !levelEnded || !writeReplayFile(currentLevel, run, pace)) {
        removeFileDurably(replayFileName(currentLevel, pace));
    }
}

void Game::handleLevelEndEvent() {
    if (event.type == SDL_QUIT) {
        running = false;
        return;
    }
    if (event.type != SDL_KEYDOWN) {
        return;
    }
    switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
            running = false;
            break;
        case SDLK_UP:
            FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
            endChoice = 3;
            break;
        case SDLK_DOWN:
            FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
            endChoice = 4;
            break;
        case SDLK_SPACE:
            FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
            if (endChoice == 3 || endChoice == 4) {
                menuConfirmed = true;
                running = false;
            }
            break;
        default:
            break;
    }
}

void Game::drawLevelEndFrame() {
    if (level) {
        level->drawBackground();
    }
    if (endChoice >= 0 && endChoice < TitleImageCount) {
        SDL_Rect where = titleRect;
        blitToScreen(titleImages[endChoice].get(), where);
    }
    if (endAnimation) {
        endAnimation->draw();
    }
    SDL_Rect where = recordRect;
    blitToScreen(recordTextSurface.get(), where);
    if (level) {
        level->drawScoreAndOverlay();
    }
    drawEndLines();
}

// Under the record: how far the run went, and a slower pace said plainly,
// since its record is not the full pace's.
void Game::drawEndLines() {
    endLines[0].render(smallFont.get(), std::to_string(runPercent) + " % du niveau",
                       OutlinedLabel::Cream, 2);
    endLines[0].draw(572, 326, true);
    if (pace != FullPace) {
        endLines[1].render(smallFont.get(), "Allure " + std::to_string(pace) + " %",
                           OutlinedLabel::Gold, 2);
        endLines[1].draw(572, 356, true);
    }
}
