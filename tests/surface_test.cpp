#include "gfx/surface.h"

#include <SDL/SDL_image.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

// Every pixel a different colour, so that a swapped or shifted channel shows.
uint32_t patternAt(int x, int y) {
    return (uint32_t(x * 7 + y) & 0xff) << 16 | (uint32_t(y * 11 + 3) & 0xff) << 8 |
           (uint32_t(x * y + 5) & 0xff);
}

uint32_t crc32Of(const std::vector<uint8_t>& bytes, std::size_t from) {
    uint32_t crc = 0xffffffffu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void putBig32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void putChunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data) {
    putBig32(file, static_cast<uint32_t>(data.size()));
    const std::size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    putBig32(file, crc32Of(file, start));
}

// Every alpha from clear to opaque, both ends included.
uint8_t alphaAt(int x, int y) {
    return x == 0 ? 0 : x == 1 ? 255 : static_cast<uint8_t>(x * 13 + y * 5);
}

// An 8-bit RGB or RGBA PNG (red first in each pixel, as SDL_image gives it),
// its image data in stored (uncompressed) deflate blocks.
void writePng(const std::string& path, int width, int height, bool withAlpha) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = patternAt(x, y);
            raw.push_back(static_cast<uint8_t>(rgb >> 16));
            raw.push_back(static_cast<uint8_t>(rgb >> 8));
            raw.push_back(static_cast<uint8_t>(rgb));
            if (withAlpha) {
                raw.push_back(alphaAt(x, y));
            }
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    for (std::size_t at = 0; at < raw.size(); at += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        zlib.push_back(at + length == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + at, raw.begin() + at + length);
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(zlib, b << 16 | a);

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, static_cast<uint32_t>(width));
    putBig32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, static_cast<uint8_t>(withAlpha ? 6 : 2), 0, 0, 0});
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", zlib);
    putChunk(file, "IEND", {});
    std::string bytes(file.begin(), file.end());
    writeFile(path, bytes);
}

// A 24-bit BMP (blue first in each pixel) of the same pattern.
void writeBmp(const std::string& path, int width, int height) {
    constexpr int bytes = 3;
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xff0000, 0xff00, 0xff, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel =
                static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + bytes * x;
            const uint32_t rgb = patternAt(x, y);
            pixel[0] = static_cast<uint8_t>(rgb);
            pixel[1] = static_cast<uint8_t>(rgb >> 8);
            pixel[2] = static_cast<uint8_t>(rgb >> 16);
        }
    }
    SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
}

// Whether two surfaces are the same picture in the same form: size, format,
// flags, per-surface alpha and every pixel's bytes.
void expectSameSurface(SDL_Surface* got, SDL_Surface* want) {
    ASSERT_EQ(got->w, want->w);
    ASSERT_EQ(got->h, want->h);
    EXPECT_EQ(got->flags, want->flags);
    EXPECT_EQ(got->format->BitsPerPixel, want->format->BitsPerPixel);
    EXPECT_EQ(got->format->Rmask, want->format->Rmask);
    EXPECT_EQ(got->format->Gmask, want->format->Gmask);
    EXPECT_EQ(got->format->Bmask, want->format->Bmask);
    EXPECT_EQ(got->format->Amask, want->format->Amask);
    EXPECT_EQ(got->format->alpha, want->format->alpha);
    const std::size_t rowBytes = static_cast<std::size_t>(want->w) * want->format->BytesPerPixel;
    for (int y = 0; y < want->h; ++y) {
        const auto* gotRow = static_cast<const uint8_t*>(got->pixels) + y * got->pitch;
        const auto* wantRow = static_cast<const uint8_t*>(want->pixels) + y * want->pitch;
        ASSERT_EQ(std::memcmp(gotRow, wantRow, rowBytes), 0) << "row " << y;
    }
}

}  // namespace

// The game converts its pictures to the screen's format itself; the result
// must be what SDL's own conversion gives, byte for byte, so that every blit
// draws the same pixels. Odd sizes, so that rows are padded differently in
// the two formats.
TEST(LoadImage, PicturesMatchSdlsOwnConversion) {
    TempDir dir;
    DummyVideo video;
    writePng("opaque.png", 37, 23, false);
    writeBmp("opaque.bmp", 37, 23);
    writePng("alpha.png", 41, 19, true);
    for (const char* path : {"opaque.png", "opaque.bmp", "alpha.png"}) {
        SCOPED_TRACE(path);
        SurfacePtr original(IMG_Load(path));
        ASSERT_NE(original, nullptr);
        const bool alpha = original->format->Amask != 0;
        ASSERT_EQ(original->format->BytesPerPixel, alpha ? 4 : 3);
        SurfacePtr expected(alpha ? SDL_DisplayFormatAlpha(original.get())
                                  : SDL_DisplayFormat(original.get()));
        ASSERT_NE(expected, nullptr);
        SurfacePtr loaded = loadImage(path);
        ASSERT_NE(loaded, nullptr);
        expectSameSurface(loaded.get(), expected.get());

        // Drawn over the same background, both leave the same screen.
        SurfacePtr screens[2];
        SDL_Surface* pictures[2] = {loaded.get(), expected.get()};
        for (int k = 0; k < 2; ++k) {
            SDL_FillRect(video.screen(), nullptr, SDL_MapRGB(video.screen()->format, 90, 160, 30));
            SDL_Rect where{5, 7, 0, 0};
            blitToScreen(pictures[k], where);
            screens[k].reset(SDL_ConvertSurface(video.screen(), video.screen()->format, 0));
            ASSERT_NE(screens[k], nullptr);
        }
        expectSameSurface(screens[0].get(), screens[1].get());
        if (!alpha) {
            EXPECT_EQ(pixelAt(video.screen(), 5 + 36, 7 + 22), patternAt(36, 22));
            EXPECT_EQ(pixelAt(video.screen(), 5 + 3, 7 + 1), patternAt(3, 1));
        } else {
            EXPECT_EQ(pixelAt(video.screen(), 5 + 1, 7 + 4), patternAt(1, 4));  // opaque
            EXPECT_EQ(pixelAt(video.screen(), 5 + 0, 7 + 4), 0x5aa01eu);        // clear
        }
    }
}
