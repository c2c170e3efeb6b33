// level_overview: the whole of a level in one picture, for the people who make
// levels. The visible rows (0 to 47) of all 10,000 columns, cut into strips
// laid one under the other, one colour per cell code, with optionally the path
// of the best run the level checker finds.

#include <png.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "level_search.h"
#include "util/keyword_text.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
};

constexpr Rgb Sky{226, 240, 252};
constexpr Rgb SkyBand{214, 232, 248};  // every other 100 columns, to count by eye
constexpr Rgb Ground{128, 84, 44};
constexpr Rgb Gold{250, 196, 0};
constexpr Rgb Red{220, 30, 30};
constexpr Rgb Post{70, 110, 60};
constexpr Rgb Unknown{255, 0, 255};
constexpr Rgb Ink{30, 30, 30};
constexpr Rgb Paper{255, 255, 255};
constexpr Rgb PathBody{20, 60, 220};
constexpr Rgb PathWaist{120, 160, 255};

Rgb colourOf(int32_t cell) {
    switch (cell) {
        case Empty:
            return Sky;
        case Tile0:
            return Ground;
        case Bonus:
            return Gold;
        case Enemy:
            return Red;
        case Tile1:
            return Post;
        default:
            return Unknown;
    }
}

// Digits 3 pixels wide and 5 high, one row of bits a byte (bit 2 is the left).
constexpr std::array<std::array<uint8_t, 5>, 10> Digits = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

class Picture {
  public:
    Picture(int32_t width, int32_t height)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3) {}

    void fill(int32_t x, int32_t y, int32_t w, int32_t h, Rgb colour) {
        for (int32_t row = y; row < y + h; ++row) {
            for (int32_t column = x; column < x + w; ++column) {
                put(column, row, colour);
            }
        }
    }

    void put(int32_t x, int32_t y, Rgb colour) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return;
        }
        const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
        pixels_[at] = colour.r;
        pixels_[at + 1] = colour.g;
        pixels_[at + 2] = colour.b;
    }

    // Writes a number in the little digits, `size` pixels a dot.
    void number(int32_t x, int32_t y, int32_t value, int32_t size, Rgb colour) {
        const std::string text = std::to_string(value);
        for (char c : text) {
            const auto& glyph = Digits[static_cast<std::size_t>(c - '0')];
            for (int32_t row = 0; row < 5; ++row) {
                for (int32_t bit = 0; bit < 3; ++bit) {
                    if ((glyph[static_cast<std::size_t>(row)] >> (2 - bit)) & 1) {
                        fill(x + bit * size, y + row * size, size, size, colour);
                    }
                }
            }
            x += 4 * size;
        }
    }

    bool writePng(const std::string& path) const;

  private:
    int32_t width_;
    int32_t height_;
    std::vector<uint8_t> pixels_;
};

bool Picture::writePng(const std::string& path) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    // libpng reports errors by jumping back here.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t row = 0; row < height_; ++row) {
        png_write_row(png, pixels_.data() + static_cast<std::size_t>(row) * width_ * 3);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

void printHelp() {
    std::cout
        << "Usage: level_overview LEVELFILE OUT.png [--columns-per-strip N] [--scale S] [--path]\n"
           "\n"
           "Draws the visible rows (0 to 47) of all 10000 columns of a level, cut into\n"
           "strips of N columns (1000 unless given) laid one under the other, S pixels a\n"
           "cell (2 unless given). Sky is pale blue (darker every other 100 columns), Tile0\n"
           "brown, bonuses gold, enemies red, Tile1 posts green, unknown codes magenta.\n"
           "Below each strip, a tick every 100 columns and the column number every 500.\n"
           "With --path, the best run the level checker finds without mid-air jumps is\n"
           "drawn over it: the body's cell in dark blue, its waist (the cell that takes\n"
           "bonuses and meets enemies, two rows up) in light blue."
        << std::endl;
}

bool parseNumber(const char* text, int32_t& value) {
    std::size_t used = 0;
    return text::parseInt32(text, value, &used) && used == std::strlen(text);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    int32_t perStrip = 1000;
    int32_t scale = 2;
    bool drawPath = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--columns-per-strip" && i + 1 < argc) {
            if (!parseNumber(argv[++i], perStrip) || perStrip < 100 || perStrip > GridColumns) {
                std::cout << "level_overview: --columns-per-strip wants 100 to 10000" << std::endl;
                return 2;
            }
        } else if (arg == "--scale" && i + 1 < argc) {
            if (!parseNumber(argv[++i], scale) || scale < 1 || scale > 8) {
                std::cout << "level_overview: --scale wants 1 to 8" << std::endl;
                return 2;
            }
        } else if (arg == "--path") {
            drawPath = true;
        } else if (!arg.empty() && arg[0] != '-') {
            paths.push_back(arg);
        } else {
            std::cout << "level_overview: unexpected argument " << arg << std::endl;
            return 2;
        }
    }
    if (paths.size() != 2) {
        printHelp();
        return 2;
    }

    std::string contents;
    if (!text::readWholeFile(paths[0], contents, MaxLevelFileBytes)) {
        std::cout << "level_overview: cannot open " << paths[0] << std::endl;
        return 1;
    }
    LevelFileData data;
    std::vector<int32_t> grid(GridCells, Empty);
    parseLevelText(contents, data, grid.data());

    const int32_t strips = (GridColumns + perStrip - 1) / perStrip;
    const int32_t stripHeight = VisibleRows * scale;
    const int32_t margin = 8 * scale + 4;  // ticks and numbers under each strip
    const int32_t width = perStrip * scale;
    Picture picture(width, strips * (stripHeight + margin));
    picture.fill(0, 0, width, strips * (stripHeight + margin), Paper);

    for (int32_t column = 0; column < GridColumns; ++column) {
        const int32_t strip = column / perStrip;
        const int32_t x = (column % perStrip) * scale;
        const int32_t top = strip * (stripHeight + margin);
        for (int32_t row = 0; row < VisibleRows; ++row) {
            const int32_t cell = cellAt(grid.data(), column, row);
            Rgb colour = colourOf(cell);
            if (cell == Empty && (column / 100) % 2 == 1) {
                colour = SkyBand;
            }
            picture.fill(x, top + row * scale, scale, scale, colour);
        }
        if (column % 100 == 0) {
            const int32_t tick = column % 500 == 0 ? 3 * scale : scale + 1;
            picture.fill(x, top + stripHeight, 1, tick, Ink);
            if (column % 500 == 0) {
                picture.number(x + 2, top + stripHeight + 2, column, std::max(1, scale / 2 + 1),
                               Ink);
            }
        }
    }

    if (drawPath) {
        SearchOptions options;
        options.airJumps = false;
        options.keepRun = true;
        const SearchResult result = searchLevel(grid.data(), options);
        std::vector<SpaceInput> inputs = result.bestInputs;
        if (!result.finishable) {
            // Show how far the best try gets: any run that lives longest.
            std::cout << "level_overview: the level cannot be finished without mid-air jumps; "
                         "no path drawn"
                      << std::endl;
        }
        for (const RunFrame& frame : replayRun(grid.data(), inputs)) {
            const int32_t strip = frame.column / perStrip;
            const int32_t x = (frame.column % perStrip) * scale;
            const int32_t top = strip * (stripHeight + margin);
            if (frame.row >= 0 && frame.row < VisibleRows) {
                picture.fill(x, top + frame.row * scale, scale, scale, PathBody);
            }
            if (frame.row - 2 >= 0 && frame.row - 2 < VisibleRows &&
                cellAt(grid.data(), frame.column, frame.row - 2) == Empty) {
                picture.fill(x, top + (frame.row - 2) * scale, scale, scale, PathWaist);
            }
        }
        if (result.finishable) {
            std::cout << "best_score " << result.bestScore << std::endl;
        }
    }

    if (!picture.writePng(paths[1])) {
        std::cout << "level_overview: cannot write " << paths[1] << std::endl;
        return 1;
    }
    return 0;
}
