#include "world/cell_coverage.h"

#include <algorithm>
#include <cstring>

#include "gfx/surface.h"

namespace {

constexpr int Block = 5;        // pixels a block side
constexpr int Margin = 64;      // bit of screen block column 0 in a row
constexpr int MaxBlocks = 64;   // widest picture tracked, in blocks (one word)
constexpr int MaxScreen = 192;  // widest screen tracked, in blocks
constexpr int RowPadding = 8;   // transparent pixels on each side of a copied row

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

// In a browser page the screen and the pictures are canvases that the
// browser blends: their pixels are not in memory for this code to read or
// blit, so every draw there goes through SDL.
#ifdef __EMSCRIPTEN__
constexpr bool PixelsInMemory = false;
#else
constexpr bool PixelsInMemory = true;
#endif

uint32_t colorKeyOf(const SDL_PixelFormat* format) {
#ifdef __EMSCRIPTEN__
    (void)format;
    return 0;  // the browser's SDL keeps no key in the format
#else
    return format->colorkey;
#endif
}

}  // namespace

namespace {

// How this code can blit `picture` onto `screen` by itself: as SDL's plain
// 32-bit routines do, a copy or the per-pixel alpha blend of 0xAARRGGBB-like
// pixels; or not at all.
enum class OwnLayout { None, Blended, Copied };

OwnLayout ownLayoutOf(const SDL_Surface* picture, const SDL_Surface* screen) {
    const SDL_PixelFormat* from = picture->format;
    const SDL_PixelFormat* to = screen->format;
    const bool sameColours =
        from->BytesPerPixel == 4 && to->BytesPerPixel == 4 && from->Rmask == to->Rmask &&
        from->Gmask == to->Gmask && from->Bmask == to->Bmask &&
        (from->Rmask | from->Gmask | from->Bmask) == 0x00ffffffu && from->Gmask == 0x0000ff00u;
    if (!sameColours) {
        return OwnLayout::None;
    }
    if ((picture->flags & SDL_SRCALPHA) != 0 && from->Amask == 0xff000000u) {
        return OwnLayout::Blended;
    }
    return (picture->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) == 0 ? OwnLayout::Copied
                                                                    : OwnLayout::None;
}

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
    // Only SDL's blit for the screen's own colour layout copies an opaque
    // pixel; its general one blends it too ((s - d) * 255 >> 8 + d), so the
    // result still depends on what lies under it.
    const bool opaqueReplaces = ownLayoutOf(picture, screen) == OwnLayout::Blended;
    const auto effectOf = [&](uint32_t pixel) {
        if (perPixelAlpha) {
            const uint32_t alpha = (pixel & format->Amask) >> format->Ashift;
            const uint32_t opaque = format->Amask >> format->Ashift;
            return alpha == 0                          ? Effect::Nothing
                   : alpha == opaque && opaqueReplaces ? Effect::Replaces
                                                       : Effect::Changes;
        }
        if (keyed && (pixel & ~format->Amask) == colorKeyOf(format)) {
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

namespace {

// How the SDL the game runs on blends a pixel with alpha onto the screen:
// classic SDL 1.2's way, or sdl12-compat's through SDL 2, which rounds
// otherwise. Our blits reproduce either to the bit; any other library gets
// SDL's own blits.
enum class LinkedBlend { Unknown, Classic, Sdl2 };
LinkedBlend linkedBlend();

}  // namespace

void CellCoverage::readRuns(Mask& mask, const SDL_Surface* screen) {
    SDL_Surface* picture = mask.picture;
    const OwnLayout layout = ownLayoutOf(picture, screen);
    const bool blended = layout == OwnLayout::Blended;
    if (layout == OwnLayout::None || picture->w > 0xffff) {
        return;
    }
    // Transparent padding lets blend groups run past a row's ends.
    mask.stride = RowPadding + picture->w + RowPadding;
    mask.pixels.assign(static_cast<std::size_t>(mask.stride) * picture->h, 0);
    mask.spans.clear();
    for (int y = 0; y < picture->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(picture->pixels) + y * picture->pitch);
        uint32_t* copy =
            mask.pixels.data() + static_cast<std::size_t>(y) * mask.stride + RowPadding;
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
    mask.screenRmask = screen->format->Rmask;
    mask.screenGmask = screen->format->Gmask;
    mask.screenBmask = screen->format->Bmask;
    // SDL 2 copies a picture without alpha with its top byte, which the
    // copy above has replaced.
    mask.ownBlit =
        linkedBlend() == LinkedBlend::Classic || (linkedBlend() == LinkedBlend::Sdl2 && blended);
}

namespace {

typedef uint32_t Pixels8 __attribute__((vector_size(32)));

// SDL 1.2's per-pixel alpha blit of `source` over `target`, as its 32-bit
// routine does it, eight pixels at a time: a transparent pixel leaves the
// target, an opaque one replaces its colour, any other blends two colour
// channels at a time in 32-bit arithmetic; the target's top byte is kept.
// The blend alone also leaves the target unchanged at alpha 0.
__attribute__((always_inline)) inline void blend8(uint32_t* target, const uint32_t* source) {
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

typedef uint16_t Channels16 __attribute__((vector_size(32)));

// The same as SDL 2 does it under sdl12-compat: every byte, the top one
// too, becomes (source * alpha >> 8) + (target * (255 - alpha) >> 8), the
// source's top byte counting as 255; an opaque pixel replaces the target
// whole, top byte included, and a transparent one leaves it. Two channels
// go in the two 16-bit halves of each pixel's word: no product of two bytes
// leaves its half, so 16-bit multiplies (cheaper than 32-bit ones on every
// processor) give what SDL 2's 32-bit arithmetic gives.
__attribute__((always_inline)) inline void blend8Sdl2(uint32_t* target, const uint32_t* source) {
    Pixels8 from, to;
    std::memcpy(&from, source, sizeof from);
    std::memcpy(&to, target, sizeof to);
    const Pixels8 alpha = from >> 24;
    const Pixels8 alpha2 = alpha | alpha << 16;
    const auto alphas = reinterpret_cast<Channels16>(alpha2);
    const auto rests = reinterpret_cast<Channels16>(alpha2 ^ 0x00ff00ffu);  // 255 - alpha
    const auto fromRedBlue = reinterpret_cast<Channels16>(from & 0x00ff00ffu);
    const auto toRedBlue = reinterpret_cast<Channels16>(to & 0x00ff00ffu);
    const auto fromGreenTop = reinterpret_cast<Channels16>(((from >> 8) & 0xffu) | 0x00ff0000u);
    const auto toGreenTop = reinterpret_cast<Channels16>((to >> 8) & 0x00ff00ffu);
    const Channels16 redBlue = (fromRedBlue * alphas >> 8) + (toRedBlue * rests >> 8);
    const Channels16 greenTop = (fromGreenTop * alphas >> 8) + (toGreenTop * rests >> 8);
    const Pixels8 opaque = reinterpret_cast<Pixels8>(alpha == 255u);
    const Pixels8 clear = reinterpret_cast<Pixels8>(alpha == 0u);
    const Pixels8 result = (opaque & from) | (clear & to) |
                           (~(opaque | clear) & (reinterpret_cast<Pixels8>(redBlue) |
                                                 reinterpret_cast<Pixels8>(greenTop) << 8));
    std::memcpy(target, &result, sizeof result);
}

template <bool Sdl2>
__attribute__((always_inline)) inline void blendGroup(uint32_t* target, const uint32_t* source) {
    if constexpr (Sdl2) {
        blend8Sdl2(target, source);
    } else {
        blend8(target, source);
    }
}

// Blends `count` pixels in groups of eight. With `overrun` the last group
// is blended whole even where it runs past `count`, in the target and in the
// source; otherwise it goes through copies of both, and nothing past `count`
// is read or written: the source may end right there (a picture's last row).
template <bool Sdl2>
__attribute__((always_inline)) inline void blendSpanAs(uint32_t* target, const uint32_t* source,
                                                       int count, bool overrun) {
    const int whole = overrun ? (count + 7) / 8 : count / 8;
    for (int group = 0; group < whole; ++group) {
        blendGroup<Sdl2>(target + 8 * group, source + 8 * group);
    }
    const int rest = count - 8 * whole;
    if (rest > 0) {
        uint32_t* last = target + 8 * whole;
        uint32_t copy[8] = {};
        uint32_t from[8] = {};  // alpha 0 past the end: the blend leaves those alone
        std::memcpy(copy, last, sizeof(uint32_t) * rest);
        std::memcpy(from, source + 8 * whole, sizeof(uint32_t) * rest);
        blendGroup<Sdl2>(copy, from);
        std::memcpy(last, copy, sizeof(uint32_t) * rest);
    }
}

__attribute__((always_inline)) inline void blendSpan(uint32_t* target, const uint32_t* source,
                                                     int count, bool overrun, bool sdl2) {
    if (sdl2) {
        blendSpanAs<true>(target, source, count, overrun);
    } else {
        blendSpanAs<false>(target, source, count, overrun);
    }
}

// Blends pixels of every kind with the linked SDL and with each of our two
// blends, once: the blend that gives SDL's every pixel is the library's.
LinkedBlend probeLinkedBlend() {
    if (!PixelsInMemory) {
        return LinkedBlend::Unknown;
    }
    constexpr int Wide = 256, High = 4;
    SurfacePtr source(SDL_CreateRGBSurface(SDL_SWSURFACE, Wide, High, 32, 0x00ff0000u, 0x0000ff00u,
                                           0x000000ffu, 0xff000000u));
    SurfacePtr target(SDL_CreateRGBSurface(SDL_SWSURFACE, Wide, High, 32, 0x00ff0000u, 0x0000ff00u,
                                           0x000000ffu, 0));
    if (source == nullptr || target == nullptr || source->pitch != Wide * 4 ||
        target->pitch != Wide * 4) {
        return LinkedBlend::Unknown;
    }
    auto* from = static_cast<uint32_t*>(source->pixels);
    auto* to = static_cast<uint32_t*>(target->pixels);
    uint32_t seed = 12345;
    for (int i = 0; i < Wide * High; ++i) {
        seed = seed * 1664525u + 1013904223u;
        // Every alpha, 0 and 255 among them, over varied colours.
        from[i] = (uint32_t(i & 255) << 24) | (seed >> 8);
        to[i] = seed * 2654435761u;
    }
    std::vector<uint32_t> classic(to, to + Wide * High), sdl2 = classic;
    for (int i = 0; i < Wide * High; i += 8) {
        blendSpan(classic.data() + i, from + i, 8, true, false);
        blendSpan(sdl2.data() + i, from + i, 8, true, true);
    }
    SDL_SetAlpha(source.get(), SDL_SRCALPHA, 255);
    if (SDL_BlitSurface(source.get(), nullptr, target.get(), nullptr) != 0) {
        return LinkedBlend::Unknown;
    }
    return std::equal(classic.begin(), classic.end(), to) ? LinkedBlend::Classic
           : std::equal(sdl2.begin(), sdl2.end(), to)     ? LinkedBlend::Sdl2
                                                          : LinkedBlend::Unknown;
}

LinkedBlend linkedBlend() {
    static const LinkedBlend blend = probeLinkedBlend();
    return blend;
}

// The screen's pixels as the blits below write them.
struct ScreenPixels {
    uint32_t* pixels;
    int pitch;  // in pixels
    int width, height;

    uint32_t* at(int x, int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * pitch + x; }
};

// One cell picture: the rows of its seen blocks.
struct PartBlit {
    ScreenPixels screen;
    const uint32_t* pixels;  // the picture's, rows of `stride`, padded
    int stride, width, height;
    const std::pair<uint16_t, uint16_t>* spans;
    const uint64_t* seen;  // one word a block row, from firstBlockRow on
    int firstBlockRow, endBlockRow;
    int x, y;   // where the picture's corner lands on the screen
    bool sdl2;  // blend as SDL 2 does
};

// Blends every row of a part in groups of eight pixels. All rows of a block
// row take the same groups, from the first pixel of any of them to be drawn
// to the last, so that the loops run the same way five times over; and a
// row's last group may end up to seven pixels past that. The extra pixels
// are transparent (each picture row is padded with them) or lie in blocks
// later pictures replace entirely. Groups never leave the screen's row: the
// last one goes through a copy where it would.
__attribute__((always_inline)) inline void blendPixels(const PartBlit& blit) {
    const int screenLeft = -blit.x, screenRight = blit.screen.width - blit.x;
    const int screenTop = -blit.y, screenBottom = blit.screen.height - blit.y;
    for (int blockRow = blit.firstBlockRow; blockRow < blit.endBlockRow; ++blockRow) {
        const uint64_t bits = blit.seen[blockRow - blit.firstBlockRow];
        const int top = std::max(blockRow * Block, screenTop);
        const int bottom = std::min({blockRow * Block + Block, blit.height, screenBottom});
        if (bits == 0 || top >= bottom) {
            continue;
        }
        // From the first seen block of the row to the last: the covered
        // blocks between get drawn over later anyway, and long spans blend
        // faster.
        int from = std::max(__builtin_ctzll(bits) * Block, screenLeft);
        int to = std::min({(64 - __builtin_clzll(bits)) * Block, blit.width, screenRight});
        int first = blit.width, end = 0;
        for (int y = top; y < bottom; ++y) {
            first = std::min<int>(first, blit.spans[y].first);
            end = std::max<int>(end, blit.spans[y].second);
        }
        from = std::max(from, first);
        to = std::min(to, end);
        if (from >= to) {
            continue;
        }
        const bool overrun = from + ((to - from + 7) & ~7) <= screenRight;
        // from >= screenLeft and top >= screenTop: on the screen.
        uint32_t* target = blit.screen.at(blit.x + from, blit.y + top);
        const uint32_t* source =
            blit.pixels + static_cast<std::ptrdiff_t>(top) * blit.stride + RowPadding + from;
        for (int y = top; y < bottom; ++y) {
            blendSpan(target, source, to - from, overrun, blit.sdl2);
            target += blit.screen.pitch;
            source += blit.stride;
        }
    }
}

// A picture, or part of one, left out where the screen is covered.
struct UncoveredBlit {
    ScreenPixels screen;
    const uint8_t* pixels;  // the picture's pixel drawn at (x, y)
    int pitch;              // in bytes
    bool blended;           // per-pixel alpha; else a plain copy
    int x, y, w, h;         // on the screen, within it
    const std::array<uint64_t, CellCoverage::Words>* covered;  // one row of bits a block row
    bool sdl2;                                                 // blend as SDL 2 does
};

__attribute__((always_inline)) inline void blendPixels(const UncoveredBlit& blit) {
    const auto isCovered = [&blit](int blockRow, int blockColumn) {
        const int bit = Margin + blockColumn;
        return ((blit.covered[blockRow][bit >> 6] >> (bit & 63)) & 1) != 0;
    };
    const int right = blit.x + blit.w;
    for (int y = blit.y; y < blit.y + blit.h;) {
        const int blockRow = y / Block;
        const int rowsEnd = std::min(blockRow * Block + Block, blit.y + blit.h);
        for (int x = blit.x; x < right;) {
            int blockColumn = x / Block;
            if (isCovered(blockRow, blockColumn)) {
                x = blockColumn * Block + Block;
                continue;
            }
            while (blockColumn * Block + Block < right && !isCovered(blockRow, blockColumn + 1)) {
                ++blockColumn;
            }
            const int runEnd = std::min(blockColumn * Block + Block, right);
            for (int row = y; row < rowsEnd; ++row) {
                const auto* source =
                    reinterpret_cast<const uint32_t*>(
                        blit.pixels + static_cast<std::ptrdiff_t>(row - blit.y) * blit.pitch) +
                    (x - blit.x);
                if (blit.blended) {
                    blendSpan(blit.screen.at(x, row), source, runEnd - x, false, blit.sdl2);
                } else {
                    std::memcpy(blit.screen.at(x, row), source, sizeof(uint32_t) * (runEnd - x));
                }
            }
            x = runEnd;
        }
        y = rowsEnd;
    }
}

template <typename Blit>
void blitPlain(const Blit& blit) {
    blendPixels(blit);
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same code compiled for newer processors: SSE4.1 multiplies 32-bit
// numbers four at a time, which SSE2 has to make up from two; AVX2 holds
// eight pixels in one register.
template <typename Blit>
__attribute__((target("sse4.1"))) void blitSse41(const Blit& blit) {
    blendPixels(blit);
}

template <typename Blit>
__attribute__((target("avx2"))) void blitAvx2(const Blit& blit) {
    blendPixels(blit);
}

CellCoverage::Instructions processorInstructions() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2")     ? CellCoverage::Instructions::Avx2
           : __builtin_cpu_supports("sse4.1") ? CellCoverage::Instructions::Sse41
                                              : CellCoverage::Instructions::Plain;
}
#else
CellCoverage::Instructions processorInstructions() {
    return CellCoverage::Instructions::Plain;
}
#endif

template <typename Blit>
void blit(const Blit& blit) {
    static const CellCoverage::Instructions available = processorInstructions();
    [[maybe_unused]] const auto usable = std::min(available, CellCoverage::widestInstructions);
#if defined(__GNUC__) && defined(__x86_64__)
    if (usable == CellCoverage::Instructions::Avx2) {
        blitAvx2(blit);
        return;
    }
    if (usable == CellCoverage::Instructions::Sse41) {
        blitSse41(blit);
        return;
    }
#endif
    blitPlain(blit);
}

}  // namespace

CellCoverage::Instructions CellCoverage::widestInstructions = CellCoverage::Instructions::Avx2;

bool CellCoverage::blendsLikeLinkedSdl() {
    return linkedBlend() != LinkedBlend::Unknown;
}

bool CellCoverage::blitsOnItsOwn(const Mask& mask, const SDL_Surface* screen) {
    const SDL_PixelFormat* format = screen->format;
    return mask.ownBlit && format->BytesPerPixel == 4 && format->Rmask == mask.screenRmask &&
           format->Gmask == mask.screenGmask && format->Bmask == mask.screenBmask &&
           !SDL_MUSTLOCK(screen) && screen->pitch % 4 == 0;
}

void CellCoverage::drawPart(std::size_t k, SDL_Surface* screen) {
    const Draw& draw = draws[k];
    const SDL_Rect& part = parts[k];
    if (draw.picture == nullptr || screen == nullptr || part.w == 0 || part.h == 0) {
        return;
    }
    const int32_t index = k < maskOfDraw_.size() ? maskOfDraw_[k] : -1;
    const Mask* mask = index >= 0 ? &masks_[static_cast<std::size_t>(index)] : nullptr;
    if (mask == nullptr || !blitsOnItsOwn(*mask, screen)) {
        SDL_Rect source = part;
        SDL_Rect target{static_cast<Sint16>(draw.x + part.x), static_cast<Sint16>(draw.y + part.y),
                        0, 0};
        SDL_UpperBlit(draw.picture, &source, screen, &target);
        return;
    }
    // Only the blocks found visible, clipped to the screen (its clip rectangle
    // is the whole screen whenever parts are worked out).
    blit(PartBlit{{static_cast<uint32_t*>(screen->pixels), screen->pitch / 4, screen->w, screen->h},
                  mask->pixels.data(),
                  mask->stride,
                  mask->width,
                  mask->height,
                  mask->spans.data(),
                  seen_.data() + seenStart_[k],
                  part.y / Block,
                  (part.y + part.h + Block - 1) / Block,
                  draw.x,
                  draw.y,
                  linkedBlend() == LinkedBlend::Sdl2});
}

void CellCoverage::drawUncovered(SDL_Surface* picture, const SDL_Rect* source, SDL_Rect* target,
                                 SDL_Surface* screen) {
    if (picture == nullptr || screen == nullptr || target == nullptr) {
        return;
    }
    // The layouts this code blits by itself: those of the cells' pictures,
    // kept as they are, in memory.
    const OwnLayout layout = ownLayoutOf(picture, screen);
    const bool inMemory = (picture->flags & SDL_RLEACCEL) == 0 && !SDL_MUSTLOCK(picture) &&
                          picture->pixels != nullptr && !SDL_MUSTLOCK(screen) &&
                          screen->pitch % 4 == 0;
    if (!coverageKnown_ || layout == OwnLayout::None || !inMemory ||
        linkedBlend() == LinkedBlend::Unknown) {
        SDL_Rect from =
            source != nullptr ? *source : SDL_Rect{0, 0, Uint16(picture->w), Uint16(picture->h)};
        SDL_UpperBlit(picture, &from, screen, target);
        return;
    }
    // The clipping SDL_UpperBlit does, which also leaves the drawn rectangle
    // in `target` as it does.
    int sourceX = 0, sourceY = 0, w = picture->w, h = picture->h;
    if (source != nullptr) {
        sourceX = source->x;
        sourceY = source->y;
        w = source->w;
        h = source->h;
        if (sourceX < 0) {
            w += sourceX;
            target->x = static_cast<Sint16>(target->x - sourceX);
            sourceX = 0;
        }
        w = std::min(w, picture->w - sourceX);
        if (sourceY < 0) {
            h += sourceY;
            target->y = static_cast<Sint16>(target->y - sourceY);
            sourceY = 0;
        }
        h = std::min(h, picture->h - sourceY);
    }
    const SDL_Rect& clip = screen->clip_rect;
    if (clip.x > target->x) {
        w -= clip.x - target->x;
        sourceX += clip.x - target->x;
        target->x = clip.x;
    }
    w -= std::max(0, target->x + w - clip.x - clip.w);
    if (clip.y > target->y) {
        h -= clip.y - target->y;
        sourceY += clip.y - target->y;
        target->y = clip.y;
    }
    h -= std::max(0, target->y + h - clip.y - clip.h);
    if (w <= 0 || h <= 0) {
        target->w = 0;
        target->h = 0;
        return;
    }
    target->w = static_cast<Uint16>(w);
    target->h = static_cast<Uint16>(h);
    blit(UncoveredBlit{
        {static_cast<uint32_t*>(screen->pixels), screen->pitch / 4, screen->w, screen->h},
        static_cast<const uint8_t*>(picture->pixels) +
            static_cast<std::ptrdiff_t>(sourceY) * picture->pitch + 4 * sourceX,
        picture->pitch,
        layout == OwnLayout::Blended,
        target->x,
        target->y,
        w,
        h,
        covered_.data(),
        linkedBlend() == LinkedBlend::Sdl2});
}

void CellCoverage::findVisibleParts(SDL_Surface* screen) {
    coverageKnown_ = false;
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
    if (screen == nullptr || !PixelsInMemory) {
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
    coverageKnown_ = true;
}
