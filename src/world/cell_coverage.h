#pragma once

#include <SDL/SDL.h>

#include <array>
#include <cstdint>
#include <vector>

// Finds the cell pictures of a frame that later pictures of the same frame
// cover completely, so that they need not be blitted: on a screen crowded with
// sprites most of them are. Works on 5 x 5 pixel blocks, the grain of every
// position a cell picture is drawn at; anything it is not sure of is drawn.
struct CellCoverage {
    struct Draw {
        SDL_Surface* picture;  // null draws nothing
        int32_t x;
        int32_t y;
        int32_t code;  // the cell code, for the caller
    };

    // Sets parts[k], for every draw k (in drawing order), to the part of its
    // picture that must be blitted: everything outside it is transparent or
    // gets replaced by fully opaque pixels of later draws on `screen`. An
    // empty part (w 0) means the draw changes nothing that stays.
    // A picture is examined once, the first time it comes: pictures must not
    // be changed in place while they are in use.
    void findVisibleParts(const std::vector<Draw>& draws, SDL_Surface* screen,
                          std::vector<SDL_Rect>& parts);

    // Scratch space the level reuses every frame.
    std::vector<Draw> draws;
    std::vector<SDL_Rect> parts;

  private:
    // Which blocks of a picture show anything, and which replace the screen
    // entirely; one bit a block, one word a block row.
    struct Mask {
        SDL_Surface* picture = nullptr;
        int width = 0;
        int height = 0;
        bool known = false;  // false: always drawn, never hides anything
        int firstRow = 0;    // the block rows that show anything
        int endRow = 0;
        std::vector<uint64_t> shows;
        std::vector<uint64_t> replaces;
    };
    const Mask& maskOf(SDL_Surface* picture);

    std::vector<Mask> masks_;
    std::size_t lastMask_ = 0;  // draws come in runs of one picture
    // Covered screen blocks, one row of bits per block row; bits outside the
    // screen count as covered.
    static constexpr int Words = 5;
    std::vector<std::array<uint64_t, Words>> covered_;
};
