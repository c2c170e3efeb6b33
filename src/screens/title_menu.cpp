#include "app/game.h"

// The three entries, top to bottom: start, an entry without an action, quit.
constexpr int32_t TitleEntryCount = 3;

void Game::showTitleMenu() {
    // Every visit starts afresh: nothing confirmed on the screen before
    // carries over.
    selection = 0;
    menuConfirmed = false;
    running = true;
    runScreenLoop([this] { handleTitleEvent(); }, [this] { drawTitleFrame(); });
    nextScreen = menuConfirmed ? Screen::LevelMenu : Screen::End;
}

void Game::handleTitleEvent() {
    if (event.type == SDL_QUIT) {
        running = false;
        menuConfirmed = false;
        return;
    }
    if (event.type != SDL_KEYDOWN) {
        return;
    }
    // The four tests are made in this order on the same press, so Escape
    // followed by Space in one batch still lets Space confirm a start.
    const SDLKey key = event.key.keysym.sym;
    if (key == SDLK_ESCAPE) {
        running = false;
    }
    if (key == SDLK_UP && selection > 0) {
        FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
        --selection;
    }
    if (key == SDLK_DOWN && selection < TitleEntryCount - 1) {
        ++selection;
        FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
    }
    if (key == SDLK_SPACE) {
        FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
        if (selection == 0) {
            menuConfirmed = true;
            running = false;
        } else if (selection == 2) {
            menuConfirmed = false;
            running = false;
        }
    }
}

void Game::drawTitleFrame() {
    if (selection >= 0 && selection < TitleEntryCount) {
        blitToScreen(titleImages[selection].get(), titleRect);
    }
    if (titleAnimation != nullptr) {
        titleAnimation->draw();
    }
}
