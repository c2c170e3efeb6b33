#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <string>

#include "gfx/surface.h"

// A line of text in the style of the menus' titles: filled in one colour
// over an outline of the sprites' ink, so that it reads on any background.
class OutlinedLabel {
  public:
    // `utf8` in `font`, with an outline `outline` pixels wide. Drawn again
    // only when the text or its colour changes; a null font leaves nothing to draw.
    void render(TTF_Font* font, const std::string& utf8, SDL_Color fill, int outline);
    // With its top-left corner at (x, y), or its centre at x when `centred`.
    void draw(int x, int y, bool centred = false) const;
    void clear();
    int width() const { return text_ ? text_->w : 0; }
    // The text last rendered, drawn or not (a null font draws nothing).
    const std::string& text() const { return shown_; }

    static constexpr SDL_Color Ink{0x1f, 0x2a, 0x1c, 0};
    static constexpr SDL_Color Gold{0xf0, 0xc5, 0x41, 0};
    static constexpr SDL_Color Cream{0xfb, 0xf6, 0xe4, 0};

  private:
    std::string shown_;
    SDL_Color fill_{0, 0, 0, 0};
    SurfacePtr text_;
    SurfacePtr outline_;
    int thickness_ = 0;
};

// Text in UTF-8 (accents included) as SDL_ttf draws it; the browser's
// SDL_ttf takes UTF-8 in its plain calls.
SurfacePtr renderUtf8(TTF_Font* font, const std::string& utf8, SDL_Color color);
