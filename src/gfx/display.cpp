#include "gfx/display.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

int windowScaleFor(int screenWidth, int screenHeight) {
    int scale = 1;
    // 85 % of the height, in whole pixels, without floating point.
    while (Display::Width * (scale + 1) <= screenWidth &&
           Display::Height * (scale + 1) * 100 <= screenHeight * 85) {
        ++scale;
    }
    return scale;
}

SDL_Rect fullScreenPlaceFor(int screenWidth, int screenHeight) {
    // The width a picture of the screen's height would have, if it fits;
    // else the height a picture of the screen's width would have.
    int width = screenHeight * Display::Width / Display::Height;
    int height = screenHeight;
    if (width > screenWidth) {
        width = screenWidth;
        height = screenWidth * Display::Height / Display::Width;
    }
    return SDL_Rect{static_cast<Sint16>((screenWidth - width) / 2),
                    static_cast<Sint16>((screenHeight - height) / 2), static_cast<Uint16>(width),
                    static_cast<Uint16>(height)};
}

void scalePicture(const SDL_Surface* from, SDL_Surface* to, const SDL_Rect& place,
                  std::vector<int>& sourceColumns) {
    const Uint32 black = SDL_MapRGB(to->format, 0, 0, 0);
    const int right = place.x + place.w;
    const int bottom = place.y + place.h;
    if (place.x < 0 || place.y < 0 || right > to->w || bottom > to->h ||
        from->format->BytesPerPixel != 4 || to->format->BytesPerPixel != 4) {
        SDL_FillRect(to, nullptr, black);
        return;
    }
    // The bars: above, below, left and right of the picture.
    SDL_Rect bars[4] = {{0, 0, static_cast<Uint16>(to->w), static_cast<Uint16>(place.y)},
                        {0, static_cast<Sint16>(bottom), static_cast<Uint16>(to->w),
                         static_cast<Uint16>(std::max(0, to->h - bottom))},
                        {0, place.y, static_cast<Uint16>(place.x), place.h},
                        {static_cast<Sint16>(right), place.y,
                         static_cast<Uint16>(std::max(0, to->w - right)), place.h}};
    for (SDL_Rect& bar : bars) {
        if (bar.w > 0 && bar.h > 0) {
            SDL_FillRect(to, &bar, black);
        }
    }
    if (place.w == 0 || place.h == 0 || SDL_LockSurface(to) != 0) {
        return;
    }
    sourceColumns.resize(place.w);
    for (int x = 0; x < place.w; ++x) {
        sourceColumns[x] = x * from->w / place.w;
    }
    const auto* source = static_cast<const uint8_t*>(from->pixels);
    auto* target = static_cast<uint8_t*>(to->pixels);
    const uint32_t* lastRow = nullptr;
    int lastSourceRow = -1;
    for (int y = 0; y < place.h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(target + (place.y + y) * to->pitch) + place.x;
        const int sourceRow = y * from->h / place.h;
        if (sourceRow == lastSourceRow) {
            // Rows drawn from the same row of the picture are the same.
            std::memcpy(row, lastRow, sizeof(uint32_t) * place.w);
            continue;
        }
        const auto* pixels = reinterpret_cast<const uint32_t*>(source + sourceRow * from->pitch);
        for (int x = 0; x < place.w; ++x) {
            row[x] = pixels[sourceColumns[x]];
        }
        lastRow = row;
        lastSourceRow = sourceRow;
    }
    SDL_UnlockSurface(to);
}

bool Display::open(int screenWidth, int screenHeight) {
    if (screenWidth <= 0 || screenHeight <= 0) {
        // SDL knows the desktop's size only before a mode is set.
        const SDL_VideoInfo* info = SDL_GetVideoInfo();
        screenWidth = info != nullptr ? info->current_w : 0;
        screenHeight = info != nullptr ? info->current_h : 0;
    }
#ifdef __EMSCRIPTEN__
    // A page's canvas keeps the picture's size; the browser scales the page.
    screenWidth = 0;
    screenHeight = 0;
#endif
    screenWidth_ = screenWidth;
    screenHeight_ = screenHeight;
    return setMode(false) || setPlainWindow();
}

bool Display::toggleFullScreen() {
#ifdef __EMSCRIPTEN__
    return false;
#else
    if (screenWidth_ <= 0 || screenHeight_ <= 0 || canvas_ == nullptr) {
        return false;  // the screen's size is unknown: no full screen to fill
    }
    // The picture outlives the window's surface, which the new mode replaces.
    SurfacePtr kept(SDL_ConvertSurface(canvas_, canvas_->format, SDL_SWSURFACE));
    const bool namedCanvas = drawingSurface() == canvas_;
    const bool wanted = !fullScreen_;
    // A refused mode may have freed the old window already: nothing of it
    // is used again, and some window must take its place.
    const bool toggled = setMode(wanted);
    if (!toggled && !setMode(!wanted) && !setPlainWindow()) {
        if (namedCanvas) {
            setDrawingSurface(nullptr);
        }
        close();
        return false;
    }
    if (namedCanvas) {
        setDrawingSurface(canvas_);
    }
    if (kept != nullptr) {
        SDL_BlitSurface(kept.get(), nullptr, canvas_, nullptr);
    }
    present();
    return toggled;
#endif
}

bool Display::setMode(bool fullScreen) {
    if (fullScreen) {
        // The screen's own size: the display's mode stays as it is.
        return useWindow(
            setVideoMode_(screenWidth_, screenHeight_, 32, SDL_HWSURFACE | SDL_FULLSCREEN), true);
    }
    const int scale = windowScaleFor(screenWidth_, screenHeight_);
    return useWindow(setVideoMode_(Width * scale, Height * scale, 32, SDL_HWSURFACE), false);
}

bool Display::setPlainWindow() {
    return useWindow(setVideoMode_(Width, Height, 32, SDL_HWSURFACE), false);
}

// The picture is placed within the surface SDL returned, which need not be
// the size asked for.
bool Display::useWindow(SDL_Surface* window, bool fullScreen) {
    window_ = nullptr;
    canvas_ = nullptr;
    if (window == nullptr) {
        return false;
    }
    window_ = window;
    fullScreen_ = fullScreen;
    place_ = fullScreenPlaceFor(window->w, window->h);
    if (window->w == Width && window->h == Height) {
        canvas_ = window;
        ownCanvas_.reset();
        return true;
    }
    const SDL_PixelFormat* format = window->format;
    if (format->BytesPerPixel != 4) {
        return false;
    }
    if (ownCanvas_ == nullptr || ownCanvas_->format->Rmask != format->Rmask ||
        ownCanvas_->format->Gmask != format->Gmask || ownCanvas_->format->Bmask != format->Bmask) {
        ownCanvas_.reset(SDL_CreateRGBSurface(SDL_SWSURFACE, Width, Height, 32, format->Rmask,
                                              format->Gmask, format->Bmask, 0));
    }
    canvas_ = ownCanvas_.get();
    return canvas_ != nullptr;
}

void Display::close() {
    if (drawingSurface() == canvas_) {
        setDrawingSurface(nullptr);
    }
    canvas_ = nullptr;
    window_ = nullptr;
    ownCanvas_.reset();
}

void Display::present() {
    if (window_ == nullptr || canvas_ == nullptr) {
        return;
    }
    if (canvas_ != window_) {
        scalePicture(canvas_, window_, place_, sourceColumns_);
    }
    SDL_Flip(window_);
}
