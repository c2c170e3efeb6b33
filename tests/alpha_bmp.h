#pragma once

// Pictures with per-pixel alpha for the tests and benchmarks that draw
// levels: a 32-bit BMP whose fourth byte SDL_image reads as alpha, so that
// the pictures reach the Level the way the game's own PNGs do.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

// Writes `width` x `height` pixels (making the folders on the way), `pixel(x, y)` giving
// 0xAARRGGBB.
inline void writeAlphaBmp(const std::string& path, int width, int height,
                          const std::function<uint32_t(int, int)>& pixel) {
    std::string file(54 + 4 * static_cast<std::size_t>(width) * height, '\0');
    const auto put32 = [&file](std::size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            file[at + i] = static_cast<char>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 32;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            put32(54 + 4 * (static_cast<std::size_t>(height - 1 - y) * width + x), pixel(x, y));
        }
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder);
    }
    std::ofstream(path, std::ios::binary) << file;
}
