#include "app/pointer_keys.h"

#include <algorithm>

#include "app/key_event.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

// As the menu pictures draw them: the title entries 240 x 54 centred on
// x 480, 72 pixels apart; the end-of-level choices 280 x 54 centred on x 250.
const std::array<SDL_Rect, PointerKeys::TitleEntryCount> PointerKeys::TitleEntries = {
    SDL_Rect{360, 223, 240, 54}, SDL_Rect{360, 295, 240, 54}, SDL_Rect{360, 367, 240, 54}};
const std::array<SDL_Rect, 2> PointerKeys::LevelEndChoices = {SDL_Rect{110, 223, 280, 54},
                                                              SDL_Rect{110, 297, 280, 54}};
const std::array<SDL_Rect, 2> PointerKeys::LevelMenuKeyLines = {SDL_Rect{16, 206, 250, 30},
                                                                SDL_Rect{16, 236, 250, 30}};
const SDL_Rect PointerKeys::LevelMenuBoardLine{16, 268, 250, 48};
const std::array<SDL_Rect, 2> PointerKeys::BoardKeyLines = {SDL_Rect{40, 410, 640, 28},
                                                            SDL_Rect{220, 440, 280, 28}};
// The level menu's picture of the level, 388 pixels wide with its frame, with
// an arrow drawn on each side of it: the column under the picture starts the
// level, and all that lies left or right of it moves that way, arrow included.
constexpr int LevelCardLeft = 296;
constexpr int LevelCardRight = 684;

namespace {

constexpr int PictureWidth = 720;
constexpr int PictureHeight = 480;

bool contains(const SDL_Rect& rect, int x, int y) {
    return x >= rect.x && x < rect.x + rect.w && y >= rect.y && y < rect.y + rect.h;
}

void tap(SDLKey key, std::deque<SDL_Event>& keys) {
    keys.push_back(keyEvent(SDL_KEYDOWN, key));
    keys.push_back(keyEvent(SDL_KEYUP, key));
}

}  // namespace

bool PointerKeys::translate(const SDL_Event& event, const Target& target,
                            std::deque<SDL_Event>& keys) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.button != SDL_BUTTON_LEFT) {
                return true;  // the wheel and the other buttons stand for nothing
            }
            if (event.type == SDL_MOUSEBUTTONUP) {
                buttonDown_ = false;
                if (choicePending_) {
                    choicePending_ = false;
                    tap(SDLK_SPACE, keys);
                }
                releaseIfLifted(keys);
                return true;
            }
            buttonDown_ = true;
            press(target, event.button.x, event.button.y, keys);
            return true;
        case SDL_MOUSEMOTION:
            return true;
#ifdef __EMSCRIPTEN__
        // Each finger also came as a button event; these only count them.
        case SDL_FINGERDOWN:
            fingerDown(event.tfinger.fingerId);
            return true;
        case SDL_FINGERUP:
            fingerUp(event.tfinger.fingerId, keys);
            return true;
        case SDL_FINGERMOTION:
            return true;
#endif
        default:
            return false;
    }
}

void PointerKeys::tick(uint32_t now, std::deque<SDL_Event>& keys) {
    if (choicePending_ && now - choiceSince_ >= LongPressMs) {
        choicePending_ = false;
        tap(SDLK_r, keys);
    }
}

void PointerKeys::fingerDown(int64_t finger) {
    const auto end = fingers_.begin() + fingerCount_;
    if (std::find(fingers_.begin(), end, finger) != end) {
        return;
    }
    if (fingerCount_ < MaxFingers) {
        fingers_[fingerCount_++] = finger;
    } else {
        ++uncountedFingers_;
    }
}

void PointerKeys::fingerUp(int64_t finger, std::deque<SDL_Event>& keys) {
    const auto end = fingers_.begin() + fingerCount_;
    const auto found = std::find(fingers_.begin(), end, finger);
    if (found != end) {
        *found = fingers_[--fingerCount_];
    } else if (uncountedFingers_ > 0) {
        --uncountedFingers_;
    }
    if (fingerCount_ == 0 && uncountedFingers_ == 0) {
        // No finger is left on the screen, so nothing holds the pointer
        // down: a touch the browser cancelled lifts no button, and is no tap.
        buttonDown_ = false;
        choicePending_ = false;
    }
    releaseIfLifted(keys);
}

#ifdef __EMSCRIPTEN__
// clang-format off
// The browser's SDL hears a finger lift but not a touch the browser cancels
// (a system gesture, an alert, a sixth finger on some phones), which would
// stay down for the rest of the visit. Both, and any finger SDL still holds
// down when a touch starts without it, become that finger's lift for SDL.
// Listened for on the window, before SDL's own listeners hear the touch.
EM_JS(void, liftCancelledTouches, (), {
    const lift = ids => {
        for (const id of ids) {
            delete SDL.downFingers[id];
            SDL.events.push({ type: "touchend", touch: { identifier: Number(id), pageX: 0, pageY: 0 } });
        }
        if (Object.keys(SDL.downFingers).length === 0) {
            SDL.DOMButtons[0] = 0;
        }
    };
    const onGame = event => event.target === Module.canvas;
    window.addEventListener("touchcancel", event => {
        if (onGame(event)) {
            lift(Array.from(event.changedTouches, touch => touch.identifier).filter(id => SDL.downFingers[id]));
        }
    }, true);
    window.addEventListener("touchstart", event => {
        if (!onGame(event)) {
            return;
        }
        const held = new Set();
        const starting = new Set(Array.from(event.changedTouches, touch => touch.identifier));
        for (const touch of event.touches) {
            if (!starting.has(touch.identifier)) {
                held.add(touch.identifier);
            }
        }
        lift(Object.keys(SDL.downFingers).filter(id => !held.has(Number(id))));
    }, true);
});
// clang-format on

void PointerKeys::watchCancelledTouches() {
    liftCancelledTouches();
}
#endif

void PointerKeys::press(const Target& target, int windowX, int windowY,
                        std::deque<SDL_Event>& keys) {
    // From the window to the picture, which may be enlarged in it.
    const SDL_Rect& place = target.place;
    if (place.w == 0 || place.h == 0) {
        return;
    }
    const int x = static_cast<int>((int64_t{windowX} - place.x) * PictureWidth / place.w);
    const int y = static_cast<int>((int64_t{windowY} - place.y) * PictureHeight / place.h);
    const bool onPicture =
        windowX >= place.x && windowY >= place.y && x < PictureWidth && y < PictureHeight;
    switch (target.screen) {
        case Screen::TitleMenu:
            for (int entry = 0; entry < TitleEntryCount; ++entry) {
                if (contains(TitleEntries[entry], x, y)) {
                    for (int at = target.selection; at < entry; ++at) {
                        tap(SDLK_DOWN, keys);
                    }
                    for (int at = target.selection; at > entry; --at) {
                        tap(SDLK_UP, keys);
                    }
                    tap(SDLK_SPACE, keys);
                }
            }
            break;
        case Screen::LevelMenu:
            if (!onPicture) {
                break;
            }
            if (target.worldBoard && contains(LevelMenuBoardLine, x, y)) {
                tap(SDLK_c, keys);
            } else if (contains(LevelMenuKeyLines[0], x, y) ||
                       contains(LevelMenuKeyLines[1], x, y)) {
                tap(contains(LevelMenuKeyLines[0], x, y) ? SDLK_e : SDLK_v, keys);
            } else if (x < LevelCardLeft) {
                tap(SDLK_LEFT, keys);
            } else if (x >= LevelCardRight) {
                tap(SDLK_RIGHT, keys);
            } else {
                choicePending_ = true;
                choiceSince_ = target.now;
            }
            break;
        case Screen::PlayLevel:
            // Anywhere in the window: a finger need not aim.
            if (target.paused) {
                tap(SDLK_p, keys);
            } else if (!spaceHeld_) {
                spaceHeld_ = true;
                keys.push_back(keyEvent(SDL_KEYDOWN, SDLK_SPACE));
            } else if (target.practising) {
                tap(SDLK_c, keys);
            }
            break;
        case Screen::LevelEnd:
            for (std::size_t choice = 0; choice < LevelEndChoices.size(); ++choice) {
                if (contains(LevelEndChoices[choice], x, y)) {
                    tap(choice == 0 ? SDLK_UP : SDLK_DOWN, keys);
                    tap(SDLK_SPACE, keys);
                }
            }
            break;
        case Screen::WorldBoard:
            if (contains(BoardRows, x, y)) {
                const int row = (y - BoardRows.y) / BoardRowHeight;
                for (int at = target.selection; at < row; ++at) {
                    tap(SDLK_DOWN, keys);
                }
                for (int at = target.selection; at > row; --at) {
                    tap(SDLK_UP, keys);
                }
                tap(SDLK_SPACE, keys);
            } else {
                tap(contains(BoardKeyLines[1], x, y) ? SDLK_n : SDLK_ESCAPE, keys);
            }
            break;
        case Screen::NameEntry:
            tap(SDLK_ESCAPE, keys);
            break;
        case Screen::Other:
            break;
    }
}

void PointerKeys::releaseIfLifted(std::deque<SDL_Event>& keys) {
    if (spaceHeld_ && !buttonDown_ && fingerCount_ == 0 && uncountedFingers_ == 0) {
        spaceHeld_ = false;
        keys.push_back(keyEvent(SDL_KEYUP, SDLK_SPACE));
    }
}
