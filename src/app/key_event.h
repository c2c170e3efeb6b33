#pragma once

#include <SDL/SDL.h>

// A key press or release as the keyboard would give it, for the other ways in
// (a pad, the mouse, a finger) that stand for keys.
// (SDL 2's event types, in the browser, do not fit SDL 1.2's byte.)
inline SDL_Event keyEvent(decltype(SDL_Event::type) type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.mod = KMOD_NONE;
    return event;
}
