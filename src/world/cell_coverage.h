#pragma once

#include <SDL/SDL.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// Finds the cell pictures of a frame that later pictures of the same frame
// cover completely, so that they need not be blitted: on a screen crowded with
// sprites most of them are. Works on 5 x 5 pixel blocks, the grain of every
// position a cell picture is drawn at; anything it is not sure of is drawn.
// It also blits what stays, for the common pictures (32-bit, per-pixel alpha,
// the screen's colour layout) with its own copy of their pixel runs, blending
// eight pixels at a time by SDL 1.2's own arithmetic, so the result is the
// same; and it draws the layers under the cells only where they can be seen.
struct CellCoverage {
    struct Draw {
        SDL_Surface* picture;  // null draws nothing
        int32_t x;
        int32_t y;
        int32_t code;  // the cell code, for the caller
    };

    // Sets parts[k], for every draw k of `draws` (in drawing order), to the
    // part of its picture that must be blitted: everything outside it is
    // transparent or gets replaced by fully opaque pixels of later draws on
    // `screen`. An empty part (w 0) means the draw changes nothing that stays.
    // A picture is examined once, the first time it comes: pictures must not
    // be changed in place while they are in use.
    void findVisibleParts(SDL_Surface* screen);

    // Blits parts[k] of draw k onto `screen`, as SDL_UpperBlit would.
    void drawPart(std::size_t k, SDL_Surface* screen);

    // Blits `source` of `picture` (null: all of it) at `target` as
    // SDL_UpperBlit does, also leaving the drawn rectangle in `target`, but
    // not on the screen blocks that the draws of the last findVisibleParts
    // replace: for the layers under the cells, which get drawn over there.
    // Call forget() once those draws are on the screen.
    void drawUncovered(SDL_Surface* picture, const SDL_Rect* source, SDL_Rect* target,
                       SDL_Surface* screen);
    void forget() { coverageKnown_ = false; }

    // Whether these blits reproduce the blend of the SDL the game runs on
    // (classic SDL 1.2's and sdl12-compat's both); where not, SDL blits.
    static bool blendsLikeLinkedSdl();

    // The widest instructions the blends may use where the processor has
    // them; the tests lower it to check the other code too.
    enum class Instructions { Plain, Sse41, Avx2 };
    static Instructions widestInstructions;

    // Words of a row of screen blocks' bits.
    static constexpr int Words = 5;

    std::vector<Draw> draws;  // filled by the level every frame
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
        // The pixels and, row by row, the span from the first to the last one
        // that is not transparent, when this code blits the picture itself;
        // for a screen with these colour masks.
        bool ownBlit = false;
        Uint32 screenRmask = 0, screenGmask = 0, screenBmask = 0;
        std::vector<uint32_t> pixels;  // rows of `stride` pixels
        int stride = 0;
        std::vector<std::pair<uint16_t, uint16_t>> spans;
    };
    std::size_t maskOf(SDL_Surface* picture, const SDL_Surface* screen);
    static bool blitsOnItsOwn(const Mask& mask, const SDL_Surface* screen);
    void readRuns(Mask& mask, const SDL_Surface* screen);
    std::vector<int32_t> maskOfDraw_;
    // Per draw, from its part's first block row on: the blocks still seen.
    std::vector<uint32_t> seenStart_;
    std::vector<uint64_t> seen_;

    std::vector<Mask> masks_;
    std::size_t lastMask_ = 0;  // draws come in runs of one picture
    // Covered screen blocks, one row of bits per block row; bits outside the
    // screen count as covered.
    std::vector<std::array<uint64_t, Words>> covered_;
    bool coverageKnown_ = false;  // covered_ holds the last draws' blocks
};
