// The level's fast drawing against SDL's own blits: pictures of any size from
// 1 to 800 pixels each way, in the formats loading a picture can give, with
// any alpha; cells anywhere in view and any camera offsets. A frame drawn by
// the level must have exactly the pixels of the background and every cell's
// picture blitted whole, in order, by SDL; and the sanitizers must stay quiet.
#include <SDL/SDL.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "world/cell_coverage.h"
#include "world/level.h"

namespace {

SDL_Surface* screen = nullptr;
Camera camera;
Level* level = nullptr;

// The formats of a loaded picture: converted for the screen, with per-pixel
// alpha (maybe run-length encoded, as the level's cell pictures are), opaque
// or colour-keyed; or as SDL_image gave it when it could not be converted.
enum class Format { Alpha, AlphaRle, Opaque, Keyed, Rgb24, Abgr };

// The alpha of the pixels: all one way, any value, or runs of each kind as
// sprites have them.
enum class AlphaMix { Opaque, Transparent, Any, Runs };

uint64_t nextRandom(uint64_t& state) {
    state += 0x9e3779b97f4a7c15u;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

uint8_t alphaOf(AlphaMix mix, uint64_t& state, int& runLeft, uint8_t& runAlpha) {
    switch (mix) {
        case AlphaMix::Opaque:
            return 255;
        case AlphaMix::Transparent:
            return 0;
        case AlphaMix::Any:
            return static_cast<uint8_t>(nextRandom(state));
        case AlphaMix::Runs:
            break;
    }
    if (runLeft-- <= 0) {
        const uint64_t r = nextRandom(state);
        runLeft = static_cast<int>(r % 40);
        const int kind = static_cast<int>((r >> 8) % 4);
        runAlpha = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(r >> 16);
    }
    return runAlpha;
}

SurfacePtr makePicture(FuzzedDataProvider& input) {
    const int w = input.ConsumeIntegralInRange(1, 800);
    const int h = input.ConsumeIntegralInRange(1, 800);
    const auto format = static_cast<Format>(input.ConsumeIntegralInRange(0, 5));
    const auto mix = static_cast<AlphaMix>(input.ConsumeIntegralInRange(0, 3));
    uint64_t state = input.ConsumeIntegral<uint64_t>();
    const SDL_PixelFormat* to = screen->format;
    const bool alpha = format == Format::Alpha || format == Format::AlphaRle;
    SDL_Surface* picture = nullptr;
    if (format == Format::Rgb24) {
        picture = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xff0000, 0xff00, 0xff, 0);
    } else if (format == Format::Abgr) {
        picture = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xff, 0xff00, 0xff0000, 0xff000000);
    } else {
        picture = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, to->Rmask, to->Gmask, to->Bmask,
                                       alpha ? 0xff000000u : 0u);
    }
    if (picture == nullptr) {
        std::abort();
    }
    // One random row of twice the width; each row of the picture is a part
    // of it from a random place on, so that rows differ at little cost.
    const bool hasAlpha = picture->format->Amask != 0;
    const int bytes = picture->format->BytesPerPixel;
    std::vector<uint8_t> line(static_cast<std::size_t>(2 * w * bytes));
    int runLeft = 0;
    uint8_t runAlpha = 0;
    for (int x = 0; x < 2 * w; ++x) {
        const uint32_t colour = static_cast<uint32_t>(nextRandom(state)) & 0xffffffu;
        const uint8_t a = alphaOf(mix, state, runLeft, runAlpha);
        // Without alpha the same runs choose between two colours, one of
        // them the colour key.
        const uint32_t rgb = hasAlpha || a > 127 ? colour : 0x00ff00ffu;
        const uint32_t pixel =
            SDL_MapRGBA(picture->format, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), a);
        std::memcpy(&line[static_cast<std::size_t>(x * bytes)], &pixel, bytes);
    }
    for (int y = 0; y < h; ++y) {
        const int from = static_cast<int>(nextRandom(state) % static_cast<uint64_t>(w));
        std::memcpy(static_cast<uint8_t*>(picture->pixels) + y * picture->pitch,
                    &line[static_cast<std::size_t>(from * bytes)],
                    static_cast<std::size_t>(w * bytes));
    }
    if (format == Format::AlphaRle) {
        SDL_SetAlpha(picture, SDL_SRCALPHA | SDL_RLEACCEL, SDL_ALPHA_OPAQUE);
    }
    if (format == Format::Keyed) {
        SDL_SetColorKey(picture, SDL_SRCCOLORKEY, SDL_MapRGB(picture->format, 255, 0, 255));
    }
    return SurfacePtr(picture);
}

SurfacePtr maybePicture(FuzzedDataProvider& input) {
    return input.ConsumeIntegralInRange(0, 7) == 0 ? SurfacePtr() : makePicture(input);
}

std::vector<uint32_t> screenPixels() {
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(screen->w) * screen->h);
    for (int y = 0; y < screen->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(screen->pixels) + y * screen->pitch);
        pixels.insert(pixels.end(), row, row + screen->w);
    }
    return pixels;
}

void blit(SDL_Surface* picture, int64_t x, int64_t y) {
    if (picture != nullptr) {
        SDL_Rect where{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
        SDL_UpperBlit(picture, nullptr, screen, &where);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::abort();
    }
    screen = SDL_SetVideoMode(720, 480, 32, SDL_SWSURFACE);
    if (screen == nullptr) {
        std::abort();
    }
    // One level for every input; its pictures are replaced each time. Only
    // the background and the cells are drawn: no score text, overlay or
    // success picture.
    level = new Level("", &camera);
    level->cellsVisible = true;
    level->scoreFont.reset();
    level->overlay.reset();
    level->hasLimit = false;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider input(bytes, size);
    // New pictures may reuse old addresses: what was learnt of the old ones
    // must go with them.
    level->coverage.reset();
    level->background = maybePicture(input);
    level->tile0Image = maybePicture(input);
    level->tile1Image = maybePicture(input);
    level->bonusImage = maybePicture(input);
    Animation& enemy = *level->enemyAnimation;
    enemy.frameCount = input.ConsumeIntegralInRange(0, 3);
    for (int k = 0; k < 3; ++k) {
        enemy.frames[k] = k < enemy.frameCount ? maybePicture(input) : SurfacePtr();
    }
    enemy.frameIndex = input.ConsumeIntegralInRange(0, 3);
    enemy.frameClock = input.ConsumeIntegralInRange(0, 3) * 0.35;
    const int32_t frameIndex = enemy.frameIndex;
    const double frameClock = enemy.frameClock;

    // Mostly offsets on the 5-pixel grain, where the fast drawing works.
    const bool onGrain = input.ConsumeBool();
    camera = Camera{};
    camera.offsetX = input.ConsumeIntegralInRange(-120, 120) * (onGrain ? 5 : 1);
    camera.offsetY = input.ConsumeIntegralInRange(-120, 120) * (onGrain ? 5 : 1);
    const SDL_Rect backgroundRect =
        input.ConsumeBool() ? SDL_Rect{0, 0, 0, 0}
                            : SDL_Rect{input.ConsumeIntegralInRange<Sint16>(-800, 800),
                                       input.ConsumeIntegralInRange<Sint16>(-800, 800), 0, 0};
    const SDL_Rect backgroundClip =
        input.ConsumeBool()
            ? SDL_Rect{0, 0, 720, 720}
            : SDL_Rect{input.ConsumeIntegralInRange<Sint16>(-50, 850),
                       input.ConsumeIntegralInRange<Sint16>(-50, 850),
                       input.ConsumeIntegral<Uint16>(), input.ConsumeIntegral<Uint16>()};
    level->backgroundRect = backgroundRect;
    level->backgroundClip = backgroundClip;
    const int widest = input.ConsumeIntegralInRange(0, 2);
    CellCoverage::widestInstructions = static_cast<CellCoverage::Instructions>(widest);
    const Uint32 fill = input.ConsumeIntegral<Uint32>() & 0xffffffu;

    // The first frame shows grid columns 1 to 72.
    for (int32_t i = 1; i <= VisibleColumns; ++i) {
        for (int32_t j = 0; j < VisibleRows; ++j) {
            level->grid[static_cast<std::size_t>(cellIndex(i, j))] = Empty;
        }
    }
    constexpr int32_t Codes[] = {Tile0, Bonus, Enemy, Tile1};
    while (input.remaining_bytes() > 0) {
        const int32_t column = input.ConsumeIntegralInRange(1, VisibleColumns);
        const int32_t row = input.ConsumeIntegralInRange(0, VisibleRows - 1);
        const int32_t code = Codes[input.ConsumeIntegralInRange(0, 3)];
        // A block of cells of one kind, as ground and platforms are.
        const int32_t wide = input.ConsumeIntegralInRange(1, 16);
        const int32_t high = input.ConsumeIntegralInRange(1, 8);
        for (int32_t c = column; c < column + wide && c <= VisibleColumns; ++c) {
            for (int32_t r = row; r < row + high && r < VisibleRows; ++r) {
                level->grid[static_cast<std::size_t>(cellIndex(c, r))] = code;
            }
        }
    }

    level->score = 0;
    SDL_FillRect(screen, nullptr, fill);
    level->runFrame();
    const std::vector<uint32_t> drawn = screenPixels();

    // The same frame the plain way.
    SDL_FillRect(screen, nullptr, fill);
    SDL_Rect clip = backgroundClip, where = backgroundRect;
    if (level->background != nullptr) {
        SDL_UpperBlit(level->background.get(), &clip, screen, &where);
    }
    enemy.frameIndex = frameIndex;
    enemy.frameClock = frameClock;
    for (int32_t i = 0; i < VisibleColumns; ++i) {
        const int64_t x = int64_t{CellSize} * i - camera.offsetX;
        for (int32_t j = 0; j < VisibleRows; ++j) {
            const int64_t y = int64_t{CellSize} * j - camera.offsetY;
            switch (level->grid[static_cast<std::size_t>(cellIndex(i + 1, j))]) {
                case Tile0:
                    blit(level->tile0Image.get(), x, y);
                    break;
                case Bonus:
                    blit(level->bonusImage.get(), x - 25, y - 50);
                    break;
                case Enemy:
                    enemy.advance();
                    blit(enemy.frames[static_cast<std::size_t>(enemy.frameIndex)].get(), x - 50,
                         y - 70);
                    break;
                case Tile1:
                    blit(level->tile1Image.get(), x - 40, y - 70);
                    break;
            }
        }
    }
    // The colours, not the screen's unused top byte: SDL's run-length blits
    // set it to 0xff under opaque pixels where its other blits (and ours)
    // keep the target's, and nothing ever shows it.
    const Uint32 colours = screen->format->Rmask | screen->format->Gmask | screen->format->Bmask;
    const std::vector<uint32_t> plain = screenPixels();
    for (std::size_t p = 0; p < plain.size(); ++p) {
        if (((plain[p] ^ drawn[p]) & colours) != 0) {
            std::fprintf(stderr, "pixel (%d, %d): drawn %08x, SDL %08x\n",
                         static_cast<int>(p % 720), static_cast<int>(p / 720), drawn[p], plain[p]);
            std::abort();
        }
    }
    return 0;
}
