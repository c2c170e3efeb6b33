#pragma once

#include <SDL/SDL.h>

#include <array>
#include <cstdint>
#include <memory>

#include "actors/hero_file.h"
#include "actors/replay_runner.h"
#include "gfx/surface.h"
#include "screens/replay_file.h"

class Hero;

// The record run's hero, raced while a level is played: its replay is
// played one frame for each play frame, on the level's own grid, and drawn
// with faded copies of the hero's pictures. It only reads the grid (a bonus
// the player took is no solid cell, so the run's heights stay the same), and
// plays no sound.
class Ghost {
  public:
    // Races `replay` on `grid` (which must outlive the race), drawn with the
    // hero's frames as they are now; `tinted` ones (the world record's run)
    // are told apart from the player's own at a glance.
    void start(const int32_t* grid, ReplayData replay, const Hero& hero, bool tinted = false);
    // No race: frees the replay and the pictures.
    void clear();

    // One play frame, after the level has scrolled: the run's next frame,
    // drawn when `shown`. Stepped even when hidden, so that it is in step
    // again when shown. Once the run has fallen out it is gone.
    void stepAndDraw(bool shown);

    // Puts the run back to where it was after `frames` play frames, as a
    // practice that goes back to a checkpoint does with the hero.
    void rewindTo(int32_t frames);

    // The run being raced, while it is still on its way; else null.
    const ReplayRunner* runner() const;

    // How opaque the faded pictures are, of 255.
    static constexpr Uint8 Alpha = 110;

  private:
    const int32_t* grid_ = nullptr;
    ReplayData replay_;
    std::unique_ptr<ReplayRunner> runner_;
    std::array<SurfacePtr, MaxHeroFrames> frames_;
};

// A copy of `picture` drawn at `alpha` of its opacity (per pixel where it has
// an alpha channel, else for the whole surface), and with `tint`, its colours
// half way to that one where it has an alpha channel; null for a null picture.
SurfacePtr fadedCopy(SDL_Surface* picture, Uint8 alpha, const SDL_Color* tint = nullptr);

// The world record's ghost: a sky blue, far from the hero's greens and greys.
constexpr SDL_Color WorldGhostTint{0x3c, 0x8c, 0xff, 0};
