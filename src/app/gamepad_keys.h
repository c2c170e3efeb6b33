#pragma once

#include <SDL/SDL.h>

#include <array>
#include <cstdint>
#include <deque>

// Turns gamepad and joystick events into the key events the screens know,
// so that a pad plays exactly as the keyboard does: the face buttons are
// Space (Y may be another key), the d-pad and the left stick the arrow keys, Back/Select Escape and
// Start the key the caller names (Space in the menus, P in a level).
class GamepadKeys {
  public:
    // How the buttons are numbered. Linux numbers an Xbox-style pad so under
    // classic SDL 1.2 and sdl12-compat alike: 0-3 the face buttons, 4 and 5
    // the shoulders, 6 Back,
    // 7 Start, the d-pad a hat. A browser gives a known pad its standard
    // layout: 0-3 the face buttons, 4 and 5 the shoulders, 6 and 7 the triggers, 8 Back, 9 Start,
    // 12-15 the d-pad up, down, left and right.
    enum class Layout { Linux, Browser };
#ifdef __EMSCRIPTEN__
    static constexpr Layout NativeLayout = Layout::Browser;
#else
    static constexpr Layout NativeLayout = Layout::Linux;
#endif

    explicit GamepadKeys(Layout layout = NativeLayout) : layout_(layout) {}
    ~GamepadKeys();
    GamepadKeys(const GamepadKeys&) = delete;
    GamepadKeys& operator=(const GamepadKeys&) = delete;

    // Opens every joystick plugged in, so that SDL reports its events.
    // SDL 1.2 sees only the pads present when this runs.
    void openAll();
    // Opens the pads that came since (in a browser, where they do), and
    // there closes those that went, queueing the release of what they held
    // in `keys`.
    void openNew(std::deque<SDL_Event>& keys);
    void closeAll();

    // For a joystick event, queues the key presses and releases it stands
    // for (none, one or two) in `keys` and returns true; any other event is
    // left alone (false). A key held by several buttons or directions at
    // once is pressed once and released when the last of them lets go. The
    // Y button is `yKey` (R in the level menu, where it plays the record),
    // the X button `xKey` (E in the level menu, where it practises the level),
    // the shoulder buttons `shoulderKey` (C in the level menu, which opens
    // the world board; none by default).
    bool translate(const SDL_Event& event, SDLKey startKey, std::deque<SDL_Event>& keys,
                   SDLKey yKey = SDLK_SPACE, SDLKey xKey = SDLK_SPACE,
                   SDLKey shoulderKey = SDLK_UNKNOWN);

    static constexpr int MaxPads = 8;
    static constexpr int MaxButtons = 32;

  private:
    SDLKey keyOfButton(int button, SDLKey startKey, SDLKey yKey, SDLKey xKey,
                       SDLKey shoulderKey) const;
    void press(SDLKey key, std::deque<SDL_Event>& keys);
    void release(SDLKey key, std::deque<SDL_Event>& keys);
    void letGo(int slot, std::deque<SDL_Event>& keys);
    void moveDirection(int8_t& held, int8_t now, SDLKey negative, SDLKey positive,
                       std::deque<SDL_Event>& keys);

    struct Pad {
        std::array<SDLKey, MaxButtons> buttonKeys{};  // what each held button pressed
        int8_t stickX = 0, stickY = 0;                // -1, 0 or 1
        int8_t hatX = 0, hatY = 0;
    };
    std::array<Pad, MaxPads> pads_{};
    // How many buttons and directions hold each key a pad can press, in
    // the order of the keys in gamepad_keys.cpp.
    std::array<uint8_t, 11> holders_{};
    std::array<SDL_Joystick*, MaxPads> opened_{};  // by slot, null where none is open
    Layout layout_;
};
