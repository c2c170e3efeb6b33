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

// An 8-bit RGB PNG (the byte order SDL_image gives: red first), its image
// data in stored (uncompressed) deflate blocks.
void writeRgbPng(const std::string& path, int width, int height) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = patternAt(x, y);
            raw.push_back(static_cast<uint8_t>(rgb >> 16));
            raw.push_back(static_cast<uint8_t>(rgb >> 8));
            raw.push_back(static_cast<uint8_t>(rgb));
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
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", zlib);
    putChunk(file, "IEND", {});
    std::string bytes(file.begin(), file.end());
    writeFile(path, bytes);
}

// A 24-bit BMP (blue first in each pixel) of the same pattern.
void writeRgbBmp(const std::string& path, int width, int height) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xff0000, 0xff00, 0xff, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + 3 * x;
            const uint32_t rgb = patternAt(x, y);
            pixel[0] = static_cast<uint8_t>(rgb);
            pixel[1] = static_cast<uint8_t>(rgb >> 8);
            pixel[2] = static_cast<uint8_t>(rgb >> 16);
        }
    }
    SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
}

}  // namespace

// The game converts its opaque pictures to the screen's format itself; the
// result must be what SDL's own conversion gives, byte for byte, so that
// every blit draws the same pixels.
TEST(LoadImage, OpaquePicturesMatchSdlsOwnConversion) {
    TempDir dir;
    DummyVideo video;
    // An odd width, so that rows are padded differently in the two formats.
    writeRgbPng("picture.png", 37, 23);
    writeRgbBmp("picture.bmp", 37, 23);
    for (const char* path : {"picture.png", "picture.bmp"}) {
        SCOPED_TRACE(path);
        SurfacePtr loaded = loadImage(path);
        ASSERT_NE(loaded, nullptr);
        SurfacePtr original(IMG_Load(path));
        ASSERT_NE(original, nullptr);
        ASSERT_EQ(original->format->BytesPerPixel, 3);
        SurfacePtr expected(SDL_DisplayFormat(original.get()));
        ASSERT_NE(expected, nullptr);

        EXPECT_EQ(loaded->w, expected->w);
        EXPECT_EQ(loaded->h, expected->h);
        EXPECT_EQ(loaded->flags, expected->flags);
        EXPECT_EQ(loaded->format->BitsPerPixel, expected->format->BitsPerPixel);
        EXPECT_EQ(loaded->format->Rmask, expected->format->Rmask);
        EXPECT_EQ(loaded->format->Gmask, expected->format->Gmask);
        EXPECT_EQ(loaded->format->Bmask, expected->format->Bmask);
        EXPECT_EQ(loaded->format->Amask, expected->format->Amask);
        for (int y = 0; y < expected->h; ++y) {
            const auto* got = static_cast<const uint8_t*>(loaded->pixels) + y * loaded->pitch;
            const auto* want = static_cast<const uint8_t*>(expected->pixels) + y * expected->pitch;
            ASSERT_EQ(std::memcmp(got, want, 4 * static_cast<std::size_t>(expected->w)), 0)
                << "row " << y;
        }
        // And drawn, the picture shows its own colours.
        SDL_Rect where{5, 7, 0, 0};
        blitToScreen(loaded.get(), where);
        EXPECT_EQ(pixelAt(video.screen(), 5 + 36, 7 + 22), patternAt(36, 22));
        EXPECT_EQ(pixelAt(video.screen(), 5 + 3, 7 + 1), patternAt(3, 1));
    }
}
