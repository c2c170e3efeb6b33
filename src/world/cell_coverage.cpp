#include "world/cell_coverage.h"

#include <algorithm>
#include <cstring>

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

std::size_t CellCoverage::maskOf(SDL_Surface* picture, const SDL_Surface* screen) {
    const auto matches = [picture](const Mask& mask) {
        return mask.picture == picture && mask.width == picture->w && mask.height == picture->h;
    };
    if (lastMask_ < masks_.size() && matches(masks_[lastMask_])) {
        return lastMask_;
    }
    for (std::size_t i = 0; i < masks_.size(); ++i) {
        if (matches(masks_[i])) {
            lastMask_ = i;
            return i;
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
        masks_.push_back(std::move(mask));
        return masks_.size() - 1;
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
    readRuns(mask, screen);
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
    return masks_.size() - 1;
}

// Our blend reproduces classic SDL 1.2's to the bit. sdl12-compat (which
// reports 1.2.50 and later) blends through SDL 2 with other rounding, so there
// the pictures go through SDL's own blits and look the same as everywhere else.
static bool linkedSdlBlendsLikeOurs() {
    const SDL_version* linked = SDL_Linked_Version();
    return linked->major == 1 && linked->minor == 2 && linked->patch < 50;
}

void CellCoverage::readRuns(Mask& mask, const SDL_Surface* screen) {
    // The layouts SDL blits with its plain 32-bit routines: a copy, or the
    // per-pixel alpha blend of 0xAARRGGBB-like pixels.
    SDL_Surface* picture = mask.picture;
    const SDL_PixelFormat* from = picture->format;
    const SDL_PixelFormat* to = screen->format;
    const bool sameColours = to->BytesPerPixel == 4 && from->Rmask == to->Rmask &&
                             from->Gmask == to->Gmask && from->Bmask == to->Bmask &&
                             (from->Rmask | from->Gmask | from->Bmask) == 0x00ffffffu &&
                             from->Gmask == 0x0000ff00u;
    const bool blended = (picture->flags & SDL_SRCALPHA) != 0 && from->Amask == 0xff000000u;
    const bool copied = (picture->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) == 0;
    if (!sameColours || !(blended || copied) || picture->w > 0xffff) {
        return;
    }
    mask.pixels.resize(static_cast<std::size_t>(picture->w) * picture->h);
    mask.spans.clear();
    for (int y = 0; y < picture->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(picture->pixels) + y * picture->pitch);
        uint32_t* copy = mask.pixels.data() + static_cast<std::size_t>(y) * picture->w;
        int first = picture->w, end = 0;
        for (int x = 0; x < picture->w; ++x) {
            // A copied picture counts as opaque everywhere.
            copy[x] = blended ? row[x] : row[x] | 0xff000000u;
            if ((copy[x] >> 24) != 0) {
                first = std::min(first, x);
                end = x + 1;
            }
        }
        mask.spans.emplace_back(static_cast<uint16_t>(first), static_cast<uint16_t>(end));
    }
    mask.screenRmask = to->Rmask;
    mask.screenGmask = to->Gmask;
    mask.screenBmask = to->Bmask;
    mask.ownBlit = linkedSdlBlendsLikeOurs();
}

namespace {

// SDL 1.2's per-pixel alpha blit of `source` over `target`, as its 32-bit
// routine does it: a transparent pixel leaves the target, an opaque one
// replaces its colour, any other blends two colour channels at a time in
// 32-bit arithmetic; the target's top byte is kept. The blend alone would
// also leave the target unchanged at alpha 0, so whole spans go through it.
inline uint32_t blitPixel(uint32_t source, uint32_t target) {
    const uint32_t alpha = source >> 24;
    if (alpha == 255) {
        return (source & 0x00ffffffu) | (target & 0xff000000u);
    }
    uint32_t redBlue = target & 0x00ff00ffu;
    redBlue = (redBlue + (((source & 0x00ff00ffu) - redBlue) * alpha >> 8)) & 0x00ff00ffu;
    uint32_t green = target & 0x0000ff00u;
    green = (green + (((source & 0x0000ff00u) - green) * alpha >> 8)) & 0x0000ff00u;
    return redBlue | green | (target & 0xff000000u);
}

typedef uint32_t Pixels4 __attribute__((vector_size(16)));

inline Pixels4 blitPixels(Pixels4 source, Pixels4 target) {
    const Pixels4 alpha = source >> 24;
    Pixels4 redBlue = target & 0x00ff00ffu;
    redBlue = (redBlue + (((source & 0x00ff00ffu) - redBlue) * alpha >> 8)) & 0x00ff00ffu;
    Pixels4 green = target & 0x0000ff00u;
    green = (green + (((source & 0x0000ff00u) - green) * alpha >> 8)) & 0x0000ff00u;
    const Pixels4 top = target & 0xff000000u;
    const Pixels4 opaque = reinterpret_cast<Pixels4>(alpha == 255u);
    return (opaque & ((source & 0x00ffffffu) | top)) | (~opaque & (redBlue | green | top));
}

void blitSpan(uint32_t* target, const uint32_t* source, int count) {
    for (; count >= 4; count -= 4, target += 4, source += 4) {
        Pixels4 from, to;
        std::memcpy(&from, source, sizeof from);
        std::memcpy(&to, target, sizeof to);
        const Pixels4 result = blitPixels(from, to);
        std::memcpy(target, &result, sizeof result);
    }
    for (; count > 0; --count, ++target, ++source) {
        *target = blitPixel(*source, *target);
    }
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same, eight pixels at a time, where the processor has AVX2.
typedef uint32_t Pixels8 __attribute__((vector_size(32)));

__attribute__((target("avx2"))) void blitSpanAvx2(uint32_t* target, const uint32_t* source,
                                                  int count) {
    for (; count >= 8; count -= 8, target += 8, source += 8) {
        Pixels8 from, to;
        std::memcpy(&from, source, sizeof from);
        std::memcpy(&to, target, sizeof to);
        const Pixels8 alpha = from >> 24;
        Pixels8 redBlue = to & 0x00ff00ffu;
        redBlue = (redBlue + (((from & 0x00ff00ffu) - redBlue) * alpha >> 8)) & 0x00ff00ffu;
        Pixels8 green = to & 0x0000ff00u;
        green = (green + (((from & 0x0000ff00u) - green) * alpha >> 8)) & 0x0000ff00u;
        const Pixels8 top = to & 0xff000000u;
        const Pixels8 opaque = reinterpret_cast<Pixels8>(alpha == 255u);
        const Pixels8 result =
            (opaque & ((from & 0x00ffffffu) | top)) | (~opaque & (redBlue | green | top));
        std::memcpy(target, &result, sizeof result);
    }
    blitSpan(target, source, count);
}

bool hasAvx2() {
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return has;
}

void blitPixelSpan(uint32_t* target, const uint32_t* source, int count) {
    if (hasAvx2()) {
        blitSpanAvx2(target, source, count);
    } else {
        blitSpan(target, source, count);
    }
}
#else
void blitPixelSpan(uint32_t* target, const uint32_t* source, int count) {
    blitSpan(target, source, count);
}
#endif

}  // namespace

void CellCoverage::drawPart(std::size_t k, SDL_Surface* screen) {
    const Draw& draw = draws[k];
    const SDL_Rect& part = parts[k];
    if (draw.picture == nullptr || screen == nullptr || part.w == 0 || part.h == 0) {
        return;
    }
    const int32_t index = k < maskOfDraw_.size() ? maskOfDraw_[k] : -1;
    const Mask* mask = index >= 0 ? &masks_[static_cast<std::size_t>(index)] : nullptr;
    const SDL_PixelFormat* format = screen->format;
    if (mask == nullptr || !mask->ownBlit || format->BytesPerPixel != 4 ||
        format->Rmask != mask->screenRmask || format->Gmask != mask->screenGmask ||
        format->Bmask != mask->screenBmask || SDL_MUSTLOCK(screen)) {
        SDL_Rect source = part;
        SDL_Rect target{static_cast<Sint16>(draw.x + part.x), static_cast<Sint16>(draw.y + part.y),
                        0, 0};
        SDL_UpperBlit(draw.picture, &source, screen, &target);
        return;
    }
    // Only the blocks found visible, clipped to the screen (its clip rectangle
    // is the whole screen whenever parts are worked out).
    const int screenLeft = -draw.x, screenRight = screen->w - draw.x;
    const int screenTop = -draw.y, screenBottom = screen->h - draw.y;
    const int firstBlockRow = part.y / Block;
    const int endBlockRow = (part.y + part.h + Block - 1) / Block;
    for (int blockRow = firstBlockRow; blockRow < endBlockRow; ++blockRow) {
        const uint64_t bits =
            seen_[seenStart_[k] + static_cast<uint32_t>(blockRow - firstBlockRow)];
        const int top = std::max(blockRow * Block, screenTop);
        const int bottom = std::min({blockRow * Block + Block, mask->height, screenBottom});
        // From the first seen block of the row to the last: the covered blocks
        // between get drawn over later anyway, and long spans blend faster.
        if (bits != 0 && top < bottom) {
            const int first = __builtin_ctzll(bits);
            const int end = 64 - __builtin_clzll(bits);
            const int left = std::max(first * Block, screenLeft);
            const int right = std::min({end * Block, mask->width, screenRight});
            for (int y = top; y < bottom && left < right; ++y) {
                const int from = std::max<int>(mask->spans[y].first, left);
                const int to = std::min<int>(mask->spans[y].second, right);
                if (from >= to) {
                    continue;
                }
                // from >= screenLeft, so draw.x + from is on the screen.
                auto* target = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(screen->pixels) +
                                                           (draw.y + y) * screen->pitch) +
                               (draw.x + from);
                const uint32_t* source =
                    mask->pixels.data() + static_cast<std::size_t>(y) * mask->width + from;
                blitPixelSpan(target, source, to - from);
            }
        }
    }
}

void CellCoverage::findVisibleParts(SDL_Surface* screen) {
    parts.resize(draws.size());
    maskOfDraw_.assign(draws.size(), -1);
    seenStart_.assign(draws.size(), 0);
    seen_.clear();
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
        const std::size_t index = maskOf(draw.picture, screen);
        const Mask& mask = masks_[index];
        maskOfDraw_[k] = static_cast<int32_t>(index);
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
        seenStart_[k] = static_cast<uint32_t>(seen_.size());
        for (int r = top; r < bottom; ++r) {
            seen_.push_back(
                r < first || r >= last ? 0 : mask.shows[r] & ~bitsAt(covered_[row + r], at));
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
