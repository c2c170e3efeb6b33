#include "world/cell_coverage.h"

#include <algorithm>

namespace {

constexpr int Block = 5;        // pixels a block side
constexpr int Margin = 64;      // bit of screen block column 0 in a row
constexpr int MaxBlocks = 64;   // widest picture tracked, in blocks (one word)
constexpr int MaxScreen = 192;  // widest screen tracked, in blocks

// The 64 bits of `row` from bit `at` on.
template <std::size_t N>
uint64_t bitsAt(const std::array<uint64_t, N>& row, int at) {
    const int word = at >> 6;
    const int shift = at & 63;
    uint64_t bits = row[word] >> shift;
    if (shift != 0 && word + 1 < static_cast<int>(N)) {
        bits |= row[word + 1] << (64 - shift);
    }
    return bits;
}

template <std::size_t N>
void setBitsAt(std::array<uint64_t, N>& row, int at, uint64_t bits) {
    const int word = at >> 6;
    const int shift = at & 63;
    row[word] |= bits << shift;
    if (shift != 0 && word + 1 < static_cast<int>(N)) {
        row[word + 1] |= bits >> (64 - shift);
    }
}

// What one pixel does to the screen when blitted, as SDL 1.2 blits it.
enum class Effect { Nothing, Changes, Replaces };

}  // namespace

const CellCoverage::Mask& CellCoverage::maskOf(SDL_Surface* picture) {
    const auto matches = [picture](const Mask& mask) {
        return mask.picture == picture && mask.width == picture->w && mask.height == picture->h;
    };
    if (lastMask_ < masks_.size() && matches(masks_[lastMask_])) {
        return masks_[lastMask_];
    }
    for (std::size_t i = 0; i < masks_.size(); ++i) {
        if (matches(masks_[i])) {
            lastMask_ = i;
            return masks_[i];
        }
    }
    Mask mask;
    mask.picture = picture;
    mask.width = picture->w;
    mask.height = picture->h;
    const int blocksWide = (picture->w + Block - 1) / Block;
    const int blocksHigh = (picture->h + Block - 1) / Block;
    const SDL_PixelFormat* format = picture->format;
    if (blocksWide > MaxBlocks || format->BytesPerPixel != 4 || SDL_LockSurface(picture) != 0) {
        masks_.push_back(mask);
        return masks_.back();
    }
    const bool perPixelAlpha = (picture->flags & SDL_SRCALPHA) != 0 && format->Amask != 0;
    const bool surfaceAlpha = (picture->flags & SDL_SRCALPHA) != 0 && format->Amask == 0;
    const bool keyed = (picture->flags & SDL_SRCCOLORKEY) != 0;
    const auto effectOf = [&](uint32_t pixel) {
        if (perPixelAlpha) {
            const uint32_t alpha = (pixel & format->Amask) >> format->Ashift;
            const uint32_t opaque = format->Amask >> format->Ashift;
            return alpha == 0        ? Effect::Nothing
                   : alpha == opaque ? Effect::Replaces
                                     : Effect::Changes;
        }
        if (keyed && (pixel & ~format->Amask) == format->colorkey) {
            return Effect::Nothing;
        }
        // A whole-surface alpha blends every pixel: never counted as covering.
        return surfaceAlpha ? Effect::Changes : Effect::Replaces;
    };
    mask.shows.assign(blocksHigh, 0);
    mask.replaces.assign(blocksHigh, 0);
    for (int blockRow = 0; blockRow < blocksHigh; ++blockRow) {
        for (int blockColumn = 0; blockColumn < blocksWide; ++blockColumn) {
            const int left = blockColumn * Block;
            const int top = blockRow * Block;
            const int right = std::min(left + Block, picture->w);
            const int bottom = std::min(top + Block, picture->h);
            bool shows = false;
            bool replaces = right - left == Block && bottom - top == Block;
            for (int y = top; y < bottom; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(
                    static_cast<const uint8_t*>(picture->pixels) + y * picture->pitch);
                for (int x = left; x < right; ++x) {
                    const Effect effect = effectOf(row[x]);
                    shows = shows || effect != Effect::Nothing;
                    replaces = replaces && effect == Effect::Replaces;
                }
            }
            const uint64_t bit = uint64_t{1} << blockColumn;
            mask.shows[blockRow] |= shows ? bit : 0;
            mask.replaces[blockRow] |= replaces ? bit : 0;
        }
    }
    SDL_UnlockSurface(picture);
    mask.known = true;
    mask.firstRow = blocksHigh;
    for (int blockRow = 0; blockRow < blocksHigh; ++blockRow) {
        if (mask.shows[blockRow] != 0) {
            mask.firstRow = std::min(mask.firstRow, blockRow);
            mask.endRow = blockRow + 1;
        }
    }
    masks_.push_back(std::move(mask));
    return masks_.back();
}

void CellCoverage::findVisibleParts(const std::vector<Draw>& draws, SDL_Surface* screen,
                                    std::vector<SDL_Rect>& parts) {
    parts.resize(draws.size());
    for (std::size_t k = 0; k < draws.size(); ++k) {
        SDL_Surface* picture = draws[k].picture;
        parts[k] = picture != nullptr ? SDL_Rect{0, 0, static_cast<Uint16>(picture->w),
                                                 static_cast<Uint16>(picture->h)}
                                      : SDL_Rect{0, 0, 0, 0};
    }
    if (screen == nullptr) {
        return;
    }
    // Only the plain case is worked out: the whole screen drawable, and every
    // picture on the block grain (the camera's offsets are multiples of 5).
    const SDL_Rect& clip = screen->clip_rect;
    if (clip.x != 0 || clip.y != 0 || clip.w != screen->w || clip.h != screen->h) {
        return;
    }
    const int blocksWide = (screen->w + Block - 1) / Block;
    const int blocksHigh = (screen->h + Block - 1) / Block;
    if (blocksWide > MaxScreen) {
        return;
    }
    for (const Draw& draw : draws) {
        if (draw.picture != nullptr && (draw.x % Block != 0 || draw.y % Block != 0)) {
            return;
        }
    }
    std::array<uint64_t, Words> outside{};
    outside.fill(~uint64_t{0});
    for (int bit = Margin; bit < Margin + blocksWide; ++bit) {
        outside[bit >> 6] &= ~(uint64_t{1} << (bit & 63));
    }
    covered_.assign(blocksHigh, outside);

    // From the last draw back: only the blocks a draw shows something in that
    // no later, kept draw replaces can still be seen.
    for (std::size_t k = draws.size(); k-- > 0;) {
        const Draw& draw = draws[k];
        if (draw.picture == nullptr) {
            continue;
        }
        const Mask& mask = maskOf(draw.picture);
        if (!mask.known) {
            continue;
        }
        const int column = draw.x / Block;
        const int row = draw.y / Block;
        const int wide = (mask.width + Block - 1) / Block;
        const int high = static_cast<int>(mask.shows.size());
        parts[k] = SDL_Rect{0, 0, 0, 0};
        if (column >= blocksWide || row >= blocksHigh || column + wide <= 0 || row + high <= 0) {
            continue;  // wholly off the screen
        }
        const int at = Margin + column;
        const int first = std::max(mask.firstRow, -row);
        const int last = std::min(mask.endRow, blocksHigh - row);
        int top = high, bottom = 0, left = wide, right = 0;
        for (int r = first; r < last; ++r) {
            const uint64_t seen = mask.shows[r] & ~bitsAt(covered_[row + r], at);
            if (seen != 0) {
                top = std::min(top, r);
                bottom = r + 1;
                left = std::min(left, __builtin_ctzll(seen));
                right = std::max(right, 64 - __builtin_clzll(seen));
            }
        }
        if (bottom == 0) {
            continue;
        }
        parts[k].x = static_cast<Sint16>(left * Block);
        parts[k].y = static_cast<Sint16>(top * Block);
        parts[k].w = static_cast<Uint16>(std::min(right * Block, mask.width) - left * Block);
        parts[k].h = static_cast<Uint16>(std::min(bottom * Block, mask.height) - top * Block);
        for (int r = first; r < last; ++r) {
            setBitsAt(covered_[row + r], at, mask.replaces[r]);
        }
    }
}
