#pragma once

#include <SDL/SDL.h>

#include <memory>
#include <string>

// Owner of an SDL surface; a null surface is simply nothing to draw.
struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const {
        if (surface != nullptr) {
            SDL_FreeSurface(surface);
        }
    }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// IMG_Load of `path`, converted once to the screen's pixel format (keeping
// per-pixel alpha where the file has it) when a video mode is set, so that
// later blits are fast. Null when the file cannot be loaded or is no regular
// file.
SurfacePtr loadImage(const std::string& path);

// The 720 x 480 surface the game draws on: the one named last, or the video
// surface while none is named (null names none).
SDL_Surface* drawingSurface();
void setDrawingSurface(SDL_Surface* surface);

// Blits the whole of `surface` onto the drawing surface with its top-left
// corner at `where` (only x and y count). A null surface draws nothing.
// `where` receives the clipped rectangle, as SDL_UpperBlit does.
void blitToScreen(SDL_Surface* surface, SDL_Rect& where);
