#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/game.h"
#include "screens/record_store.h"
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
    recordUnsaved = false;
    bool askName = false;
    if (currentLevel >= 0 && currentLevel < MaxRecords) {
        const RecordFiles files = recordFilesOf(currentLevel, pace);
        const int32_t held = pace == FullPace ? records[currentLevel] : recordOnFile(files.records);
        shownRecord = held;
        if (score > held) {
            // A run cut short (too many events, a level that never ended) is
            // no replay of the score. The record in memory outlives a failed
            // write.
            const ReplayData run = recordRun(score);
            const bool whole = runRecorded && level && levelEnded;
            const RecordSave save = saveRecord(currentLevel, score, whole ? &run : nullptr, files);
            if (whole && save.written) {
                tellBoardOfRecord(currentLevel, run);
                askName = pace == FullPace && !practising && wantsName();
            }
            shownRecord = std::max(held, save.record);
            recordUnsaved = save.beaten && !save.written;
        }
        if (pace == FullPace) {
            records[currentLevel] = shownRecord;
        }
    }
    std::snprintf(recordText, sizeof recordText, "%ld", static_cast<long>(shownRecord));
    recordTextSurface.reset();
    if (font) {
        recordTextSurface.reset(
            TTF_RenderText_Blended(font.get(), recordText, SDL_Color{0, 0, 0, 0}));
    }

    showOldVersionRecord();

    runScreenLoop([this] { handleLevelEndEvent(); }, [this] { drawLevelEndFrame(); });

    if (menuConfirmed && endChoice == 3) {
        nextScreen = Screen::StartGame;
        nextLevelIndex = currentLevel;
    } else if (menuConfirmed && endChoice == 4) {
        nextScreen = Screen::TitleMenu;
    } else {
        nextScreen = Screen::End;
    }
    // A first record for the world board: the player picks the name it goes
    // under (or says no) before going on.
    if (askName && nextScreen != Screen::End) {
        nameThen = nextScreen;
        nextScreen = Screen::NameEntry;
    }
}

// The run just played, as its replay file keeps it.
ReplayData Game::recordRun(int32_t score) const {
    ReplayData run;
    run.levelFingerprint = level ? level->fileFingerprint : 0;
    run.score = score;
    run.frames = playedFrames;
    run.events = runEvents;
    return run;
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
    SDL_Rect below{recordRect.x, static_cast<Sint16>(recordRect.y + 80), 0, 0};
    blitToScreen(oldVersionSurface.get(), below);
    if (level) {
        level->drawScoreAndOverlay();
    }
    drawEndLines();
}

// Under the record: how far the run went, and a slower pace said plainly,
// since its record is not the full pace's. Under the choices, a record that
// could not be written: it is lost when the game ends.
void Game::drawEndLines() {
    const std::string paceText =
        pace == FullPace ? std::string() : " · allure " + std::to_string(pace) + " %";
    endLines[0].render(smallFont.get(), std::to_string(runPercent) + " % du niveau" + paceText,
                       OutlinedLabel::Cream, 2);
    endLines[0].draw(572, 334, true);
    if (recordUnsaved) {
        endLines[1].render(smallFont.get(), "Record non enregistré !", OutlinedLabel::Gold, 2);
        endLines[1].draw(250, 404, true);
    }
}
