#pragma once

#include <SDL/SDL.h>

#include <array>
#include <cstdint>
#include <deque>

// Turns the mouse's left button and the fingers on a touch screen into the
// key events the screens know, as GamepadKeys does for a pad, so that no
// screen needs rules of its own for them. SDL gives both as mouse button
// events: the browser's SDL makes a left button press of each finger that
// comes down and a release of each that lifts, and tells of the fingers
// themselves in finger events.
//
// - Title menu: a press on an entry moves the highlight there with Up and
//   Down, then taps Space. A press elsewhere does nothing.
// - Level menu: a press left of the level's picture (on the left arrow, say)
//   taps Left, right of it Right. On it or above or below it, the release
//   taps Space, unless the press was held LongPressMs: that taps R, which
//   plays the level's record run. The lines "E : entraînement" and
//   "V : allure" drawn left of it tap E and V, and with a world board, its
//   lines under them tap C, which opens the board.
// - World board: a press on a row moves the highlight there with Up and
//   Down, then taps Space (which watches its run); on "N : choisir un nom"
//   it taps N, anywhere else Escape.
// - Name entry: a press taps Escape, which goes on without a name (a finger
//   has no keys to type one with).
// - In a level: the first finger down (or the left button) presses Space,
//   which is released when the last finger lifts. While the level is paused
//   a press taps P, which resumes it. In practice a second finger taps C,
//   which takes a checkpoint.
// - End of a level: a press on "Rejouer" or "Menu principal" taps Up or Down,
//   then Space.
class PointerKeys {
  public:
    enum class Screen { Other, TitleMenu, LevelMenu, PlayLevel, LevelEnd, WorldBoard, NameEntry };

    // What the pointer acts on: the screen on show, the title menu's
    // highlighted entry, whether the level is paused, and where the 720 x 480
    // picture lies in the window.
    struct Target {
        Screen screen = Screen::Other;
        int32_t selection = 0;    // on the board: the highlighted row among those shown
        bool worldBoard = false;  // the level menu shows the world board's lines
        bool paused = false;
        bool practising = false;
        SDL_Rect place{0, 0, 720, 480};
        uint32_t now = 0;  // SDL_GetTicks() when the event came
    };

    static constexpr uint32_t LongPressMs = 600;

    // For a mouse button or finger event, queues the key presses and
    // releases it stands for in `keys` and returns true; any other event is
    // left alone (false).
    bool translate(const SDL_Event& event, const Target& target, std::deque<SDL_Event>& keys);

    // Called on every poll: a press in the level menu held long enough
    // becomes R now, without waiting for its release.
    void tick(uint32_t now, std::deque<SDL_Event>& keys);

    // A finger came down or lifted (the browser's finger events, which
    // follow each finger's button event). Space waits for the last finger.
    void fingerDown(int64_t finger);
    // Once no finger is left, nothing holds the pointer down any more.
    void fingerUp(int64_t finger, std::deque<SDL_Event>& keys);

#ifdef __EMSCRIPTEN__
    // Makes the page tell the game of the touches its SDL misses: one the
    // browser cancelled, and one that ended unseen, as lifts. Once a visit.
    static void watchCancelledTouches();
#endif

    // Where each title entry and each end-of-level choice is drawn on the
    // 720 x 480 picture.
    static constexpr int TitleEntryCount = 3;
    static const std::array<SDL_Rect, TitleEntryCount> TitleEntries;
    static const std::array<SDL_Rect, 2> LevelEndChoices;  // "Rejouer", "Menu principal"
    // The level menu's lines of practice (E) and pace (V).
    static const std::array<SDL_Rect, 2> LevelMenuKeyLines;
    // The level menu's lines of the world board (C), under those.
    static const SDL_Rect LevelMenuBoardLine;
    // The board screen's rows, BoardRowHeight pixels each, and its lines of
    // keys: the moves and Escape, then N.
    static constexpr int BoardRowHeight = 27;
    static constexpr SDL_Rect BoardRows{80, 62, 560, 10 * BoardRowHeight};
    static const std::array<SDL_Rect, 2> BoardKeyLines;

  private:
    void press(const Target& target, int x, int y, std::deque<SDL_Event>& keys);
    void releaseIfLifted(std::deque<SDL_Event>& keys);

    bool buttonDown_ = false;
    // The fingers on the screen, by the browser's identifier; those that do
    // not fit are only counted.
    static constexpr int MaxFingers = 10;
    std::array<int64_t, MaxFingers> fingers_{};
    int fingerCount_ = 0;
    int uncountedFingers_ = 0;
    bool spaceHeld_ = false;  // pressed by the pointer in a level
    // A press on the level menu's picture, waiting to be a tap or a long press.
    bool choicePending_ = false;
    uint32_t choiceSince_ = 0;
};
