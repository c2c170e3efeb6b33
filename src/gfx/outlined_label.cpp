#include "gfx/outlined_label.h"

#include <cstdint>

SurfacePtr renderUtf8(TTF_Font* font, const std::string& utf8, SDL_Color color) {
    if (font == nullptr || utf8.empty()) {
        return nullptr;
    }
#ifdef __EMSCRIPTEN__
    return SurfacePtr(TTF_RenderText_Blended(font, utf8.c_str(), color));
#else
    return SurfacePtr(TTF_RenderUTF8_Blended(font, utf8.c_str(), color));
#endif
}

void OutlinedLabel::render(TTF_Font* font, const std::string& utf8, SDL_Color fill, int outline) {
    const bool sameFill = fill.r == fill_.r && fill.g == fill_.g && fill.b == fill_.b;
    if (font != nullptr && text_ && utf8 == shown_ && outline == thickness_ && sameFill) {
        return;
    }
    shown_ = utf8;
    fill_ = fill;
    thickness_ = outline;
    text_ = renderUtf8(font, utf8, fill);
    outline_ = renderUtf8(font, utf8, Ink);
}

void OutlinedLabel::draw(int x, int y, bool centred) const {
    if (!text_) {
        return;
    }
    const int left = centred ? x - text_->w / 2 : x;
    // The ink drawn eight ways around the text makes its outline.
    const int t = thickness_;
    const int d = (t * 2 + 2) / 3;
    const int offsets[][2] = {{-t, 0}, {t, 0}, {0, -t}, {0, t}, {-d, -d}, {d, -d}, {-d, d}, {d, d}};
    if (outline_ && t > 0) {
        for (const auto& offset : offsets) {
            SDL_Rect where{static_cast<Sint16>(left + offset[0]),
                           static_cast<Sint16>(y + offset[1]), 0, 0};
            blitToScreen(outline_.get(), where);
        }
    }
    SDL_Rect where{static_cast<Sint16>(left), static_cast<Sint16>(y), 0, 0};
    blitToScreen(text_.get(), where);
}

void OutlinedLabel::clear() {
    shown_.clear();
    text_.reset();
    outline_.reset();
}
