// level_overview: the whole of a level in one picture, for the people who make
// levels. The visible rows (0 to 47) of the level's columns, cut into strips
// laid one under the other, one colour per cell code, with optionally the path
// of the best run the level checker finds.

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "block_list.h"
#include "level_search.h"
#include "play_ends.h"
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
constexpr Rgb BlockMark{170, 20, 150};
constexpr Rgb Faded{130, 130, 130};  // the label of a block begun on the strip above
// Where plays end, one colour for each report given.
constexpr std::array<Rgb, 2> EndMarks{Rgb{200, 0, 60}, Rgb{240, 130, 0}};

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

// Glyphs 3 pixels wide and 6 high, one row of bits a byte (bit 2 is the
// left). Digits stand 5 high; lower-case letters fill rows 1 to 4, with
// ascenders up to row 0 and descenders down to row 5.
using Glyph = std::array<uint8_t, 6>;
constexpr int32_t GlyphRows = 6;

constexpr std::array<Glyph, 10> Digits = {{
    {7, 5, 5, 5, 7, 0},
    {2, 6, 2, 2, 7, 0},
    {7, 1, 7, 4, 7, 0},
    {7, 1, 7, 1, 7, 0},
    {5, 5, 7, 1, 1, 0},
    {7, 4, 7, 1, 7, 0},
    {7, 4, 7, 5, 7, 0},
    {7, 1, 1, 1, 1, 0},
    {7, 5, 7, 5, 7, 0},
    {7, 5, 7, 1, 7, 0},
}};

constexpr std::array<Glyph, 26> Letters = {{
    {0, 6, 1, 3, 7, 0},  // a
    {4, 4, 6, 5, 6, 0},  // b
    {0, 3, 4, 4, 3, 0},  // c
    {1, 1, 3, 5, 3, 0},  // d
    {0, 3, 5, 6, 3, 0},  // e
    {3, 2, 7, 2, 2, 0},  // f
    {0, 3, 5, 3, 1, 6},  // g
    {4, 4, 6, 5, 5, 0},  // h
    {2, 0, 6, 2, 7, 0},  // i
    {1, 0, 1, 1, 1, 6},  // j
    {4, 4, 5, 6, 5, 0},  // k
    {6, 2, 2, 2, 7, 0},  // l
    {0, 6, 7, 5, 5, 0},  // m
    {0, 6, 5, 5, 5, 0},  // n
    {0, 2, 5, 5, 2, 0},  // o
    {0, 6, 5, 6, 4, 4},  // p
    {0, 3, 5, 3, 1, 1},  // q
    {0, 5, 6, 4, 4, 0},  // r
    {0, 3, 4, 1, 6, 0},  // s
    {2, 7, 2, 2, 3, 0},  // t
    {0, 5, 5, 5, 3, 0},  // u
    {0, 5, 5, 5, 2, 0},  // v
    {0, 5, 5, 7, 7, 0},  // w
    {0, 5, 2, 2, 5, 0},  // x
    {0, 5, 5, 3, 1, 6},  // y
    {0, 7, 1, 4, 7, 0},  // z
}};

constexpr Glyph Dash = {0, 0, 7, 0, 0, 0};
constexpr Glyph Blank = {0, 0, 0, 0, 0, 0};

const Glyph& glyphOf(char c) {
    if (c >= '0' && c <= '9') {
        return Digits[static_cast<std::size_t>(c - '0')];
    }
    if (c >= 'a' && c <= 'z') {
        return Letters[static_cast<std::size_t>(c - 'a')];
    }
    return c == '-' ? Dash : Blank;
}

// The text's dot size for a picture of `scale` pixels a cell.
int32_t textDot(int32_t scale) {
    return std::max(1, scale / 2 + 1);
}

// Width in pixels of `length` glyphs written `dot` pixels a dot.
int64_t textWidth(std::size_t length, int32_t dot) {
    return length == 0 ? 0 : static_cast<int64_t>(length) * 4 * dot - dot;
}

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

    // Writes text in the little glyphs, `dot` pixels a dot.
    void text(int32_t x, int32_t y, std::string_view words, int32_t dot, Rgb colour) {
        for (char c : words) {
            const Glyph& glyph = glyphOf(c);
            for (int32_t row = 0; row < GlyphRows; ++row) {
                for (int32_t bit = 0; bit < 3; ++bit) {
                    if ((glyph[static_cast<std::size_t>(row)] >> (2 - bit)) & 1) {
                        fill(x + bit * dot, y + row * dot, dot, dot, colour);
                    }
                }
            }
            x += 4 * dot;
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
           "                      [--blocks BLOCKSFILE] [--ends REPORT]...\n"
           "\n"
           "Draws the visible rows (0 to 47) of a level, cut into strips of N columns\n"
           "(1000 unless given) laid one under the other, S pixels a cell (2 unless\n"
           "given). The strips stop after the one holding the level's last column with\n"
           "anything solid in it, so a 2600-column level gives 3 strips of 1000.\n"
           "Sky is pale blue (darker every other 100 columns), Tile0 brown, bonuses gold,\n"
           "enemies red, Tile1 posts green, unknown codes magenta.\n"
           "Below each strip, a tick every 100 columns and the column number every 500.\n"
           "With --path, the best run the level checker finds without mid-air jumps is\n"
           "drawn over it: the body's cell in dark blue, its waist (the cell that takes\n"
           "bonuses and meets enemies, two rows up) in light blue.\n"
           "With --blocks, the building blocks the generator lists in BLOCKSFILE (one a\n"
           "line: NAME DIFFICULTY FIRST LAST, columns inclusive; '#' starts a note) are\n"
           "marked: a purple tick where each begins, dotted down the strip, and its name\n"
           "and difficulty in a band above the strip, on one of two lines. A label that\n"
           "would overlap its neighbours on both lines or run past the strip's end is\n"
           "left out (its tick stays). A block carried over from the strip above is\n"
           "named in grey at the left edge. Malformed lines are skipped and counted.\n"
           "With --ends REPORT (up to twice, one a player model), where that model's\n"
           "plays end, from the \"ends\" and \"wall_share\" lines that level_model\n"
           "prints: along the top of the strip a bar over every 500 columns, as many\n"
           "rows deep as the percent of plays that end there over 2 (the first report's\n"
           "in crimson, the second's in orange, below it), and a frame round the 100\n"
           "columns that end the most, with that percent written in it."
        << std::endl;
}

// One past the last column with anything solid on screen, 0 for none: a short
// level gets no strips of bare sky after its end.
int32_t levelLength(const int32_t* grid) {
    for (int32_t column = GridColumns - 1; column >= 0; --column) {
        for (int32_t row = 0; row < VisibleRows; ++row) {
            if (isSolid(cellAt(grid, column, row))) {
                return column + 1;
            }
        }
    }
    return 0;
}

// Where things go: each strip is a label band (when there are blocks), the
// cells, then the margin with the column ticks and numbers.
struct Layout {
    int32_t perStrip;
    int32_t scale;
    int32_t columns;  // drawn columns, whole strips
    int32_t band;
    int32_t stripHeight;
    int32_t margin;

    int32_t stripTop(int32_t strip) const { return strip * (band + stripHeight + margin) + band; }
};

// Label lines in the band above each strip; a label goes on the lower line
// when it clears the label before it there, else on the upper one, else is
// left out (its tick stays), so no two labels ever overlap.
constexpr int32_t LabelLines = 2;

int32_t labelLineHeight(int32_t scale) {
    return GlyphRows * textDot(scale) + 3;
}

void drawBlocks(Picture& picture, const std::vector<Block>& blocks, const Layout& layout) {
    const int32_t dot = textDot(layout.scale);
    const int32_t lineHeight = labelLineHeight(layout.scale);
    const int32_t stripWidth = layout.perStrip * layout.scale;
    const int32_t thick = std::max(1, layout.scale / 2);  // the ticks' width
    const int32_t indent = thick + dot + 1;               // from a label's bar to its text
    for (int32_t start = 0; start < layout.columns; start += layout.perStrip) {
        const int32_t top = layout.stripTop(start / layout.perStrip);
        std::array<int64_t, LabelLines> lineEnd{};  // first free x on each line
        for (const Block& block : blocks) {
            if (block.last < start || block.first >= start + layout.perStrip) {
                continue;
            }
            // A block carried over from the strip above is named again at
            // the left edge, greyed, so every strip says what it starts in.
            const bool carried = block.first < start;
            const int32_t x = carried ? 0 : (block.first - start) * layout.scale;
            if (!carried) {
                picture.fill(x, top - 3, thick, 3, BlockMark);
                for (int32_t y = top; y < top + layout.stripHeight; y += 2) {
                    picture.fill(x, y, thick, 1, BlockMark);  // dotted, to leave the cells readable
                }
            }
            const std::string label = block.name + " " + std::to_string(block.difficulty);
            const int64_t end = x + indent + textWidth(label.size(), dot);
            if (end > stripWidth) {
                continue;
            }
            for (int32_t line = 0; line < LabelLines; ++line) {
                if (x >= lineEnd[static_cast<std::size_t>(line)]) {
                    const int32_t y = top - 3 - (line + 1) * lineHeight + 2;
                    picture.fill(x, y, thick, GlyphRows * dot, carried ? Faded : BlockMark);
                    picture.text(x + indent, y, label, dot, carried ? Faded : Ink);
                    lineEnd[static_cast<std::size_t>(line)] = end + 2 * dot;
                    break;
                }
            }
        }
    }
}

}  // namespace

// Where one model's plays end: a bar along the strip's top over every 500
// columns, as deep as the share that ends there, and a frame round the 100
// columns that end the most. `lane` puts a second model's marks below the first's.
void drawEnds(Picture& picture, const PlayEnds& ends, const Layout& layout, std::size_t lane) {
    if (ends.plays <= 0) {
        return;
    }
    const Rgb colour = EndMarks[lane % EndMarks.size()];
    const int32_t laneRows = VisibleRows / 4;  // each lane's deepest bar
    for (std::size_t bin = 0; bin < ends.bins.size(); ++bin) {
        const int32_t percent = ends.bins[bin] * 100 / ends.plays;
        const int32_t rows = std::min(laneRows, (percent + 1) / 2);
        for (int32_t column = static_cast<int32_t>(bin) * PlayEnds::BinColumns;
             column <
             std::min(layout.columns, static_cast<int32_t>(bin + 1) * PlayEnds::BinColumns);
             ++column) {
            const int32_t top = layout.stripTop(column / layout.perStrip) +
                                static_cast<int32_t>(lane) * laneRows * layout.scale;
            picture.fill((column % layout.perStrip) * layout.scale, top, layout.scale,
                         rows * layout.scale, colour);
        }
    }
    if (ends.wallPlays <= 0 || ends.wallFirst >= layout.columns) {
        return;
    }
    const int32_t first = ends.wallFirst;
    const int32_t last = std::min(layout.columns, first + PlayEnds::StretchColumns) - 1;
    const int32_t thick = std::max(1, layout.scale / 2);
    for (int32_t column = first; column <= last; ++column) {
        const int32_t x = (column % layout.perStrip) * layout.scale;
        const int32_t top = layout.stripTop(column / layout.perStrip);
        const bool side = column == first || column == last || column % layout.perStrip == 0 ||
                          (column + 1) % layout.perStrip == 0;
        picture.fill(x, top, layout.scale, thick, colour);
        picture.fill(x, top + layout.stripHeight - thick, layout.scale, thick, colour);
        if (side) {
            picture.fill(x, top, thick, layout.stripHeight, colour);
        }
    }
    const int32_t dot = textDot(layout.scale);
    picture.text((first % layout.perStrip) * layout.scale + 2 * thick,
                 layout.stripTop(first / layout.perStrip) + layout.stripHeight / 2 +
                     static_cast<int32_t>(lane) * (GlyphRows + 1) * dot,
                 std::to_string(ends.wallPlays * 100 / ends.plays) + "%", dot, colour);
}

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    int32_t perStrip = 1000;
    int32_t scale = 2;
    bool drawPath = false;
    std::string blocksPath;
    std::vector<std::string> endsPaths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--columns-per-strip" && i + 1 < argc) {
            if (!parseWord(argv[++i], perStrip, 100, GridColumns)) {
                std::cout << "level_overview: --columns-per-strip wants 100 to 10000" << std::endl;
                return 2;
            }
        } else if (arg == "--scale" && i + 1 < argc) {
            if (!parseWord(argv[++i], scale, 1, 8)) {
                std::cout << "level_overview: --scale wants 1 to 8" << std::endl;
                return 2;
            }
        } else if (arg == "--path") {
            drawPath = true;
        } else if (arg == "--blocks" && i + 1 < argc) {
            blocksPath = argv[++i];
        } else if (arg == "--ends" && i + 1 < argc && endsPaths.size() < EndMarks.size()) {
            endsPaths.emplace_back(argv[++i]);
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

    LevelFileData data;
    std::vector<int32_t> grid;
    if (!readLevelGrid("level_overview", paths[0], data, grid)) {
        return 1;
    }

    std::vector<Block> blocks;
    if (!blocksPath.empty()) {
        std::string listing;
        if (!text::readWholeFile(blocksPath, listing, text::MaxDataFileBytes)) {
            std::cout << "level_overview: cannot open " << blocksPath << std::endl;
            return 1;
        }
        int32_t skipped = 0;
        blocks = parseBlocks(listing, skipped);
        if (skipped > 0) {
            std::cout << "level_overview: skipped " << skipped << " malformed line(s) of "
                      << blocksPath << std::endl;
        }
    }

    const int32_t strips = std::max(1, (levelLength(grid.data()) + perStrip - 1) / perStrip);
    Layout layout;
    layout.perStrip = perStrip;
    layout.scale = scale;
    layout.columns = std::min(GridColumns, strips * perStrip);
    layout.band = blocksPath.empty() ? 0 : LabelLines * labelLineHeight(scale) + 3;
    layout.stripHeight = VisibleRows * scale;
    layout.margin = 8 * scale + 4;  // ticks and numbers under each strip
    const int32_t width = perStrip * scale;
    const int32_t height = strips * (layout.band + layout.stripHeight + layout.margin);
    Picture picture(width, height);
    picture.fill(0, 0, width, height, Paper);

    for (int32_t column = 0; column < layout.columns; ++column) {
        const int32_t x = (column % perStrip) * scale;
        const int32_t top = layout.stripTop(column / perStrip);
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
            picture.fill(x, top + layout.stripHeight, 1, tick, Ink);
            if (column % 500 == 0) {
                picture.text(x + 2, top + layout.stripHeight + 2, std::to_string(column),
                             textDot(scale), Ink);
            }
        }
    }

    drawBlocks(picture, blocks, layout);
    for (std::size_t lane = 0; lane < endsPaths.size(); ++lane) {
        std::string report;
        PlayEnds ends;
        if (!text::readWholeFile(endsPaths[lane], report, text::MaxDataFileBytes) ||
            !parsePlayEnds(report, ends)) {
            std::cout << "level_overview: no plays' ends in " << endsPaths[lane] << std::endl;
            return 1;
        }
        drawEnds(picture, ends, layout, lane);
    }

    if (drawPath) {
        SearchOptions options;
        options.lastColumn = std::max(HeroColumnOffset + 1, lastGroundColumn(grid.data()));
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
            if (frame.column < 0 || frame.column >= layout.columns) {
                continue;
            }
            const int32_t x = (frame.column % perStrip) * scale;
            const int32_t top = layout.stripTop(frame.column / perStrip);
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
