#include "app/game.h"
#include "screens/replay_loader.h"

// The highest level index the menu lets the player highlight: the records
// and the level pictures end at ten levels, whatever the saved game says.
// -1 when there is no level at all, whatever the saved game's number.
static int32_t lastSelectableLevel(int32_t levelCount) {
    const int32_t offered = levelCount < MaxRecords ? levelCount : MaxRecords;
    return offered > 0 ? offered - 1 : -1;
}

void Game::showLevelMenu() {
    menuConfirmed = false;
    practising = false;
    selection = levelMenuFirstSelection;
    levelMenuFirstSelection = 0;
    watchedRun = ReplayData{};
    boardOpened = false;
    running = true;
    // One event per pass: a burst of presses is taken one press per frame
    // step, and whatever follows the confirming Space waits for the next
    // screen.
    runScreenLoop([this] { handleLevelMenuEvent(); }, [this] { drawLevelMenuFrame(); }, true);
    if (watchedRun.frames > 0) {
        nextScreen = Screen::WatchRecord;
        nextLevelIndex = selection;
        watchReturn = Screen::LevelMenu;
        watchTitle = "Record";
        return;
    }
    if (boardOpened) {
        nextScreen = Screen::WorldBoard;
        boardLevel = selection;
        boardList = BoardList{};
        return;
    }
    if (!menuConfirmed) {
        nextScreen = Screen::End;
        return;
    }
    fillWhite();
    blitToScreen(readyImage.get(), readyRect);
    display.present();
    SDL_Delay(1000);
    // With no playable level, selection is still 0 and the start of the game
    // ends it, as for any index at or above levelCount.
    nextScreen = Screen::StartGame;
    nextLevelIndex = selection;
}

void Game::handleLevelMenuEvent() {
    if (event.type == SDL_QUIT) {
        running = false;
        return;
    }
    if (event.type != SDL_KEYDOWN) {
        return;
    }
    const SDLKey key = event.key.keysym.sym;
    if (key == SDLK_ESCAPE) {
        running = false;
    }
    if (key == SDLK_LEFT && selection > 0) {
        FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
        --selection;
    }
    if (key == SDLK_RIGHT && selection < lastSelectableLevel(levelCount)) {
        FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
        ++selection;
    }
    // The highlighted level's record run at the pace chosen, when it has one
    // that replays.
    if (key == SDLK_r && selection >= 0 && selection < levelCount && selection < MaxLevelFiles &&
        loadReplay(selection, levelFiles[selection], watchedRun, pace)) {
        FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
        running = false;
    }
    // C: the highlighted level's world board, when the game has a server.
    if (key == SDLK_c && worldBoard && selection >= 0 && selection < levelCount &&
        selection < MaxLevelFiles) {
        FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
        boardOpened = true;
        running = false;
    }
    if (key == SDLK_v) {
        FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
        pace = nextPace(pace);
        saveSettings();
    }
    // Space plays the level, E practises it.
    if (key == SDLK_SPACE || key == SDLK_e) {
        FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
        practising = key == SDLK_e;
        menuConfirmed = true;
        running = false;
    }
}

void Game::drawLevelMenuFrame() {
    // A level whose picture is missing shows only the white screen and the
    // animation.
    if (selection >= 0 && selection < LevelImageSlots) {
        blitToScreen(levelImages[selection].get(), titleRect);
    }
    if (titleAnimation != nullptr) {
        titleAnimation->draw();
    }
    drawMenuLines();
    drawMenuBoardLines();
}

// Left of the level's picture, between the title and the hero: how far the
// player got on the highlighted level, the pace, and the keys of practice
// and pace, which the picture's own line of keys has no room for.
void Game::drawMenuLines() {
    const LevelProgress none;
    const LevelProgress& shown = selection >= 0 && selection < ProgressLevels
                                     ? progress[static_cast<std::size_t>(selection)]
                                     : none;
    const std::string texts[] = {
        "Essais : " + std::to_string(shown.attempts),
        "Meilleur : " + std::to_string(shown.bestPercent) + " %",
        "Allure : " + std::to_string(pace) + " %",
        "E : entraînement",
        "V : allure",
    };
    // The key lines where a tap or a click presses their key.
    const int tops[] = {104, 134, 164, PointerKeys::LevelMenuKeyLines[0].y + 2,
                        PointerKeys::LevelMenuKeyLines[1].y + 2};
    for (std::size_t i = 0; i < menuLines.size(); ++i) {
        menuLines[i].render(smallFont.get(), texts[i],
                            i < 3 ? OutlinedLabel::Cream : OutlinedLabel::Gold, 2);
        menuLines[i].draw(24, tops[i]);
    }
}
