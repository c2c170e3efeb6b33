#include "actors/ghost.h"

#include <algorithm>
#include <utility>

#include "actors/hero.h"

void Ghost::start(const int32_t* grid, ReplayData replay, const Hero& hero, bool tinted) {
    clear();
    grid_ = grid;
    replay_ = std::move(replay);
    runner_ = std::make_unique<ReplayRunner>(grid, &replay_);
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        frames_[i] = fadedCopy(hero.frames[i].get(), Alpha, tinted ? &WorldGhostTint : nullptr);
    }
}

void Ghost::clear() {
    runner_.reset();
    grid_ = nullptr;
    replay_ = ReplayData{};
    for (SurfacePtr& frame : frames_) {
        frame.reset();
    }
}

void Ghost::rewindTo(int32_t frames) {
    if (!runner_) {
        return;
    }
    // The run is exact: playing it again from its start is the way back.
    runner_ = std::make_unique<ReplayRunner>(grid_, &replay_);
    while (runner_->frame < frames && runner_->step()) {
        runner_->motion.chooseFrame();
    }
}

const ReplayRunner* Ghost::runner() const {
    return runner_ && !runner_->ended() ? runner_.get() : nullptr;
}

void Ghost::stepAndDraw(bool shown) {
    if (!runner_ || !runner_->step() || runner_->ended()) {
        return;
    }
    // Chosen every frame, as the hero's is, so the running cycle matches.
    const int32_t index = runner_->motion.chooseFrame();
    if (!shown || index < 0 || index >= MaxHeroFrames) {
        return;
    }
    const Body& body = runner_->body;
    SDL_Rect where{static_cast<Sint16>(body.x - 50),
                   static_cast<Sint16>(std::clamp<int32_t>(body.y - 85, INT16_MIN, INT16_MAX)), 0,
                   0};
    blitToScreen(frames_[static_cast<std::size_t>(index)].get(), where);
}

SurfacePtr fadedCopy(SDL_Surface* picture, Uint8 alpha, const SDL_Color* tint) {
    if (picture == nullptr) {
        return nullptr;
    }
    SurfacePtr copy(SDL_ConvertSurface(picture, picture->format, picture->flags));
    if (!copy) {
        return nullptr;
    }
    const SDL_PixelFormat* format = copy->format;
    if (format->BytesPerPixel != 4 || format->Amask == 0) {
        // SDL blends a whole surface at one alpha only without an alpha channel.
        SDL_SetAlpha(copy.get(), SDL_SRCALPHA | SDL_RLEACCEL, alpha);
        return copy;
    }
    if (SDL_LockSurface(copy.get()) != 0) {
        return nullptr;
    }
    // The alpha channel's place, from its mask: the page's SDL leaves
    // Ashift at 0 whatever the mask says.
    int alphaShift = 0;
    while (((format->Amask >> alphaShift) & 1) == 0) {
        ++alphaShift;
    }
    for (int y = 0; y < copy->h; ++y) {
        Uint32* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(copy->pixels) + y * copy->pitch);
        for (int x = 0; x < copy->w; ++x) {
            const Uint32 old = (row[x] & format->Amask) >> alphaShift;
            const Uint32 faded = old * alpha / 255;
            Uint32 pixel = row[x];
            if (tint != nullptr) {
                Uint8 r = 0, g = 0, b = 0;
                SDL_GetRGB(pixel, copy->format, &r, &g, &b);
                pixel = SDL_MapRGB(copy->format, static_cast<Uint8>((r + tint->r) / 2),
                                   static_cast<Uint8>((g + tint->g) / 2),
                                   static_cast<Uint8>((b + tint->b) / 2));
            }
            row[x] = (pixel & ~format->Amask) | ((faded << alphaShift) & format->Amask);
        }
    }
    SDL_UnlockSurface(copy.get());
    return copy;
}
