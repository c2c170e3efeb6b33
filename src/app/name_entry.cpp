// The name a player is known by on the world board, typed in the game and
// sent to the server; Escape goes on without one, for good (the board
// screen's N asks again).

#include <SDL/SDL.h>

#include "app/game.h"
#include "net/board_client.h"

bool Game::wantsName() const {
    return worldBoard && worldBoard->enabled() && !worldBoard->account().known() &&
           !worldBoard->account().skipped;
}

void Game::showNameEntry() {
    if (!worldBoard || !worldBoard->enabled()) {
        nextScreen = nameThen;
        return;
    }
    nameField.clear();
    nameSent = false;
    // SDL tells the character a key types only when asked to.
    const int unicodeBefore = SDL_EnableUNICODE(1);
    running = true;
    runScreenLoop([this] { handleNameEvent(); }, [this] { drawNameFrame(); });
    SDL_EnableUNICODE(unicodeBefore);
    nextScreen = event.type == SDL_QUIT ? Screen::End : nameThen;
}

void Game::handleNameEvent() {
    if (event.type == SDL_QUIT) {
        running = false;
        return;
    }
    if (event.type != SDL_KEYDOWN || !worldBoard) {
        return;
    }
    const BoardClient::NameState state = worldBoard->nameState();
    const SDLKey key = event.key.keysym.sym;
    if (nameSent && state == BoardClient::NameState::Created) {
        running = false;  // any key once the account is made
        return;
    }
    if (key == SDLK_ESCAPE) {
        worldBoard->skip();
        running = false;
        return;
    }
    if (nameSent && state == BoardClient::NameState::Waiting) {
        return;  // the name on show is the one sent
    }
    if (key == SDLK_RETURN || key == SDLK_KP_ENTER) {
        FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
        worldBoard->createPlayer(nameField.text());
        nameSent = true;
    } else if (key == SDLK_BACKSPACE) {
        nameField.backspace();
    } else if (event.key.keysym.unicode != 0 && nameField.type(event.key.keysym.unicode)) {
        FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
    }
}

void Game::drawNameFrame() {
    drawPanel();
    if (!worldBoard) {
        return;
    }
    const BoardClient::NameState state =
        nameSent ? worldBoard->nameState() : BoardClient::NameState::None;
    std::string answer;
    switch (state) {
        case BoardClient::NameState::Waiting:
            answer = "Envoi au serveur…";
            break;
        case BoardClient::NameState::Created:
            answer = "Bienvenue, " + worldBoard->account().name + " ! (une touche pour continuer)";
            break;
        case BoardClient::NameState::Refused:
            answer = "Refusé : " + worldBoard->nameMessage() + ". Essaie un autre nom.";
            break;
        case BoardClient::NameState::Failed:
            answer = "Serveur injoignable : " + worldBoard->nameMessage();
            break;
        case BoardClient::NameState::None:
            break;
    }
    // A caret after the text, blinking twice a second, while it can be typed.
    const bool typing =
        state != BoardClient::NameState::Waiting && state != BoardClient::NameState::Created;
    const std::string caret = typing && (SDL_GetTicks() / 500) % 2 == 0 ? "|" : " ";
    nameLines[0].render(smallFont.get(), "Ton nom pour le classement :", OutlinedLabel::Gold, 2);
    nameLines[0].draw(360, 130, true);
    nameLines[1].render(font.get(), nameField.text() + caret, OutlinedLabel::Cream, 3);
    nameLines[1].draw(360, 190, true);
    nameLines[2].render(boardFont.get(), answer, OutlinedLabel::Cream, 2);
    nameLines[2].draw(360, 300, true);
    nameLines[3].render(boardFont.get(), "Entrée : envoyer    Échap : jouer sans classement",
                        OutlinedLabel::Gold, 2);
    nameLines[3].draw(360, 410, true);
}
