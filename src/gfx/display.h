#pragma once

#include <SDL/SDL.h>

#include <vector>

#include "gfx/surface.h"

// The window, and the one 720 x 480 picture the game draws into it. On a
// screen with room to spare the window is a whole multiple of the picture,
// each pixel shown as a square block; in full screen the picture fills the
// screen as far as its shape allows, with black bars beside or below it,
// and the display's own mode is left as it is. Whatever the window, the game
// draws on `canvas()`, 720 x 480, and `present()` shows it.
class Display {
  public:
    static constexpr int Width = 720;
    static constexpr int Height = 480;

    // What sets a video mode: SDL_SetVideoMode, or a stand-in that tests use
    // to return another surface than asked for, or none.
    using SetVideoMode = SDL_Surface* (*)(int width, int height, int bitsPerPixel, Uint32 flags);

    Display() = default;
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Opens the window for a screen of the given size (the desktop's when
    // it is 0 x 0, which SDL knows only before the first video mode), or
    // else a plain 720 x 480 one. False when SDL opens neither.
    bool open(int screenWidth = 0, int screenHeight = 0);
    // Into full screen or back to the window; the picture on the canvas is
    // shown again at once. False when SDL refuses: the mode as it was then
    // takes its place, or else a plain 720 x 480 window, or else there is no
    // canvas any more (SDL may have freed the old window on the way). A
    // drawing surface that named the old canvas names the new one.
    bool toggleFullScreen();
    void present();
    // Lets go of the canvas; before SDL shuts down.
    void close();

    SDL_Surface* canvas() const { return canvas_; }
    bool fullScreen() const { return fullScreen_; }
    // The part of the window the picture covers.
    const SDL_Rect& place() const { return place_; }
    void setVideoModeFunction(SetVideoMode setVideoMode) { setVideoMode_ = setVideoMode; }

  private:
    bool setMode(bool fullScreen);
    bool setPlainWindow();
    bool useWindow(SDL_Surface* window, bool fullScreen);

    SetVideoMode setVideoMode_ = SDL_SetVideoMode;
    int screenWidth_ = 0, screenHeight_ = 0;
    bool fullScreen_ = false;
    SDL_Surface* window_ = nullptr;  // what the last mode setting returned
    SDL_Surface* canvas_ = nullptr;  // the window's surface itself when shown 1:1
    SurfacePtr ownCanvas_;           // the canvas when the picture is scaled
    SDL_Rect place_{0, 0, Width, Height};
    std::vector<int> sourceColumns_;  // for each column of `place_`
};

// The window's size on a screen of this size: the largest whole multiple of
// 720 x 480 that fits its width and whose height is at most 85 % of its
// height, or 720 x 480 itself when no larger one does. As a factor.
int windowScaleFor(int screenWidth, int screenHeight);

// Where the 720 x 480 picture lands in full screen: as large as fits with
// its shape kept, centred.
SDL_Rect fullScreenPlaceFor(int screenWidth, int screenHeight);

// Draws `from` enlarged into `place` of `to` by repeating pixels (32-bit
// surfaces with the same colour masks), and paints the rest of `to` black.
// A place that does not lie wholly inside `to` leaves all of `to` black.
// `sourceColumns` is a buffer for the work.
void scalePicture(const SDL_Surface* from, SDL_Surface* to, const SDL_Rect& place,
                  std::vector<int>& sourceColumns);
