#include "world/level_file.h"

#include <algorithm>

#include "util/keyword_text.h"
#include "world/cell_code.h"

namespace {

// The cell code of each of the level file's numbers 0..4.
constexpr int32_t CellCodes[5] = {Empty, Tile0, Bonus, Enemy, Tile1};

// Stores the cell code of the level file's number `number`; a number outside
// 0..4 leaves the cell as it was.
inline void storeCell(int32_t& cell, int32_t number) {
    if (number >= 0 && number <= 4) {
        cell = CellCodes[number];
    }
}

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the next integer of the cell section at `pos` the way `>> int` does,
// and moves `pos` past it. Almost every number in a level is a single digit
// followed by white space, so that case skips the general reader.
inline bool nextNumber(std::string_view text, std::size_t& pos, int32_t& number) {
    const std::size_t size = text.size();
    while (pos < size && text::isSpace(text[pos])) {
        ++pos;
    }
    if (pos < size && isDigit(text[pos]) && (pos + 1 == size || !isDigit(text[pos + 1]))) {
        number = text[pos] - '0';
        ++pos;
        return true;
    }
    std::size_t used = 0;
    if (!text::parseInt32(text.substr(pos), number, &used)) {
        return false;
    }
    pos += used;
    return true;
}

// Reads one cell section starting at `pos`. Returns false when the numbers ran
// out before the last cell: the rest of the file is then not read at all.
bool readCells(std::string_view text, std::size_t& pos, int32_t* grid, bool& haveLast,
               int32_t& last) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    for (int32_t index = 0; index < GridCells; ++index) {
        // Nearly every cell is one digit from 0 to 4 and one white-space
        // character: read both at once. The separator would be skipped before
        // the next number anyway, and after the last cell the lines read from
        // just past it hold the same words.
        if (pos + 1 < size) {
            const unsigned digit = static_cast<unsigned char>(data[pos]) - unsigned{'0'};
            if (digit <= 4 && text::isSpace(data[pos + 1])) {
                grid[index] = CellCodes[digit];
                haveLast = true;
                last = static_cast<int32_t>(digit);
                pos += 2;
                continue;
            }
        }
        int32_t number = 0;
        if (!nextNumber(text, pos, number)) {
            // Nothing more can be read: the remaining cells all get the last
            // number that was read, as if it stood in each of them.
            // (A last number outside 0..4 leaves every one of them as it was.)
            if (haveLast && last >= 0 && last <= 4) {
                std::fill(grid + index, grid + GridCells, CellCodes[last]);
            }
            return false;
        }
        haveLast = true;
        last = number;
        storeCell(grid[index], number);
    }
    return true;
}

// Reads the word after the keyword into `path`; a missing word changes nothing.
void readPath(text::WordReader& words, std::string& path) {
    std::string_view word;
    if (words.next(word)) {
        path.assign(word);
    }
}

}  // namespace

void parseLevelText(std::string_view text, LevelFileData& data, int32_t* grid) {
    text::LineReader lines(text);
    std::string_view line;
    bool haveLast = false;
    int32_t last = 0;
    while (lines.next(line)) {
        text::WordReader words(line);
        std::string_view keyword;
        if (!words.next(keyword)) {
            continue;
        }
        std::string_view second;
        if (keyword == "img") {
            if (!words.next(second)) {
                continue;
            }
            if (second == "1") {
                readPath(words, data.backgroundPath);
            } else if (second == "2") {
                readPath(words, data.overlayPath);
            } else if (second == "3") {
                readPath(words, data.extraImagePath);
            }
        } else if (keyword == "tile") {
            if (!words.next(second)) {
                continue;
            }
            if (second == "0") {
                readPath(words, data.tile0Path);
            } else if (second == "1") {
                readPath(words, data.tile1Path);
            }
        } else if (keyword == "limite") {
            int32_t value = 0;
            if (words.next(second) && text::parseInt32(second, value)) {
                data.limit = value;
                data.hasLimit = true;
            }
        } else if (keyword == "#Collisions") {
            // The numbers start on the next line and run across line ends; line
            // reading resumes right after the last one.
            std::size_t pos = lines.offset();
            if (!readCells(text, pos, grid, haveLast, last)) {
                return;
            }
            lines.seek(pos);
        }
        // "hero" names a start position the game takes from elsewhere; it and
        // every other first word change nothing.
    }
}
