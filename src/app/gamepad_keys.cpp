#include "app/gamepad_keys.h"

#include <algorithm>
#include <iterator>

#include "app/key_event.h"

namespace {

constexpr int FaceButtons = 4;  // 0 to 3: A, B, X, Y, in either layout
constexpr int ButtonX = 2;
constexpr int ButtonY = 3;
constexpr int LeftShoulder = 4;
constexpr int RightShoulder = 5;

// A stick counts as pushed past half way and as let go under a quarter, so
// that a thumb resting near the edge does not press the key again and again.
constexpr int PushedAt = 16384;
constexpr int LetGoAt = 8192;

// The keys a pad can press. Their codes are not small numbers everywhere (the
// browser's SDL has SDL 2's), so each has a place in this list instead.
constexpr SDLKey PadKeys[] = {SDLK_SPACE, SDLK_ESCAPE, SDLK_p, SDLK_UP, SDLK_DOWN, SDLK_LEFT,
                              SDLK_RIGHT, SDLK_r,      SDLK_e, SDLK_c,  SDLK_n};

std::size_t placeOf(SDLKey key) {
    std::size_t place = 0;
    while (place < std::size(PadKeys) && PadKeys[place] != key) {
        ++place;
    }
    return place;  // past the list for any other key
}

int8_t stickDirection(int8_t held, Sint16 value) {
    if (value <= -PushedAt) {
        return -1;
    }
    if (value >= PushedAt) {
        return 1;
    }
    return value > -LetGoAt && value < LetGoAt ? 0 : held;
}

}  // namespace

GamepadKeys::~GamepadKeys() {
    closeAll();
}

void GamepadKeys::openAll() {
    closeAll();
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0 && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        return;
    }
    std::deque<SDL_Event> none;
    openNew(none);
    SDL_JoystickEventState(SDL_ENABLE);
}

// A browser lists its pads in slots that may be empty (a pad in slot 1 with
// nothing in slot 0), so every slot is tried, not only those after the last
// one opened.
void GamepadKeys::openNew(std::deque<SDL_Event>& keys) {
#ifdef __EMSCRIPTEN__
    // The browser's SDL stops reading its pads at the first open one that
    // has gone, and the pads after it would go deaf: a pad unplugged is
    // closed, what it held let go.
    for (int index = 0; index < MaxPads; ++index) {
        if (opened_[index] != nullptr && SDL_JoystickName(index) == nullptr) {
            SDL_JoystickClose(opened_[index]);
            opened_[index] = nullptr;
            letGo(index, keys);
        }
    }
    // The slots of the pads left may lie past their count.
    const int count = MaxPads;
#else
    (void)keys;
    const int count = std::min(SDL_NumJoysticks(), MaxPads);
#endif
    for (int index = 0; index < count; ++index) {
        if (opened_[index] == nullptr) {
            opened_[index] = SDL_JoystickOpen(index);
        }
    }
}

void GamepadKeys::closeAll() {
    for (SDL_Joystick*& joystick : opened_) {
        if (joystick != nullptr) {
            SDL_JoystickClose(joystick);
            joystick = nullptr;
        }
    }
}

SDLKey GamepadKeys::keyOfButton(int button, SDLKey startKey, SDLKey yKey, SDLKey xKey,
                                SDLKey shoulderKey) const {
    const bool browser = layout_ == Layout::Browser;
    const int back = browser ? 8 : 6;
    const int start = browser ? 9 : 7;
    static constexpr SDLKey PadButtons[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
    if (button == ButtonY) {
        return yKey;
    }
    if (button == ButtonX) {
        return xKey;
    }
    if (button < FaceButtons) {
        return SDLK_SPACE;
    }
    if (button == LeftShoulder || button == RightShoulder) {
        return shoulderKey;
    }
    if (button == back) {
        return SDLK_ESCAPE;
    }
    if (button == start) {
        return startKey;
    }
    if (browser && button >= 12 && button < 16) {
        return PadButtons[button - 12];
    }
    return SDLK_UNKNOWN;
}

void GamepadKeys::press(SDLKey key, std::deque<SDL_Event>& keys) {
    const std::size_t place = placeOf(key);
    if (place < holders_.size() && holders_[place]++ == 0) {
        keys.push_back(keyEvent(SDL_KEYDOWN, key));
    }
}

void GamepadKeys::release(SDLKey key, std::deque<SDL_Event>& keys) {
    const std::size_t place = placeOf(key);
    if (place < holders_.size() && holders_[place] > 0 && --holders_[place] == 0) {
        keys.push_back(keyEvent(SDL_KEYUP, key));
    }
}

void GamepadKeys::letGo(int slot, std::deque<SDL_Event>& keys) {
    Pad& pad = pads_[slot];
    for (SDLKey& held : pad.buttonKeys) {
        if (held != SDLK_UNKNOWN) {
            release(held, keys);
            held = SDLK_UNKNOWN;
        }
    }
    moveDirection(pad.stickX, 0, SDLK_LEFT, SDLK_RIGHT, keys);
    moveDirection(pad.stickY, 0, SDLK_UP, SDLK_DOWN, keys);
    moveDirection(pad.hatX, 0, SDLK_LEFT, SDLK_RIGHT, keys);
    moveDirection(pad.hatY, 0, SDLK_UP, SDLK_DOWN, keys);
}

void GamepadKeys::moveDirection(int8_t& held, int8_t now, SDLKey negative, SDLKey positive,
                                std::deque<SDL_Event>& keys) {
    if (now == held) {
        return;
    }
    if (held != 0) {
        release(held < 0 ? negative : positive, keys);
    }
    if (now != 0) {
        press(now < 0 ? negative : positive, keys);
    }
    held = now;
}

bool GamepadKeys::translate(const SDL_Event& event, SDLKey startKey, std::deque<SDL_Event>& keys,
                            SDLKey yKey, SDLKey xKey, SDLKey shoulderKey) {
    switch (event.type) {
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            const int button = event.jbutton.button;
            if (static_cast<unsigned>(event.jbutton.which) >= MaxPads || button >= MaxButtons) {
                return true;
            }
            SDLKey& held = pads_[event.jbutton.which].buttonKeys[button];
            if (event.type == SDL_JOYBUTTONUP) {
                // The key this button pressed, even if Start means another
                // key by now.
                if (held != SDLK_UNKNOWN) {
                    release(held, keys);
                    held = SDLK_UNKNOWN;
                }
                return true;
            }
            const SDLKey key = keyOfButton(button, startKey, yKey, xKey, shoulderKey);
            if (key != SDLK_UNKNOWN && held == SDLK_UNKNOWN) {
                held = key;
                press(key, keys);
            }
            return true;
        }
        case SDL_JOYAXISMOTION: {
            if (static_cast<unsigned>(event.jaxis.which) >= MaxPads || event.jaxis.axis > 1) {
                return true;  // only the left stick moves
            }
            Pad& pad = pads_[event.jaxis.which];
            if (event.jaxis.axis == 0) {
                moveDirection(pad.stickX, stickDirection(pad.stickX, event.jaxis.value), SDLK_LEFT,
                              SDLK_RIGHT, keys);
            } else {
                moveDirection(pad.stickY, stickDirection(pad.stickY, event.jaxis.value), SDLK_UP,
                              SDLK_DOWN, keys);
            }
            return true;
        }
        case SDL_JOYHATMOTION: {
            if (static_cast<unsigned>(event.jhat.which) >= MaxPads || event.jhat.hat != 0) {
                return true;
            }
            Pad& pad = pads_[event.jhat.which];
            const Uint8 value = event.jhat.value;
            const int8_t x = (value & SDL_HAT_LEFT) != 0    ? -1
                             : (value & SDL_HAT_RIGHT) != 0 ? 1
                                                            : 0;
            const int8_t y = (value & SDL_HAT_UP) != 0 ? -1 : (value & SDL_HAT_DOWN) != 0 ? 1 : 0;
            moveDirection(pad.hatX, x, SDLK_LEFT, SDLK_RIGHT, keys);
            moveDirection(pad.hatY, y, SDLK_UP, SDLK_DOWN, keys);
            return true;
        }
        case SDL_JOYBALLMOTION:
            return true;
        default:
            return false;
    }
}
