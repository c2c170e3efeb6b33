#include "block_list.h"

#include <algorithm>
#include <array>

#include "util/keyword_text.h"
#include "world/cell_code.h"

bool parseWord(std::string_view word, int32_t& value, int32_t low, int32_t high) {
    std::size_t used = 0;
    return text::parseInt32(word, value, &used) && used == word.size() && value >= low &&
           value <= high;
}

namespace {

bool isBlockName(std::string_view word) {
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; });
}

}  // namespace

std::vector<Block> parseBlocks(std::string_view contents, int32_t& skipped) {
    std::vector<Block> blocks;
    skipped = 0;
    text::LineReader lines(contents);
    std::string_view line;
    while (lines.next(line)) {
        text::WordReader words(line);
        std::array<std::string_view, 5> word;
        std::size_t count = 0;
        while (count < word.size() && words.next(word[count])) {
            ++count;
        }
        if (count == 0 || word[0][0] == '#') {
            continue;
        }
        Block block;
        if (count != 4 || !isBlockName(word[0]) || !parseWord(word[1], block.difficulty, 0, 9) ||
            !parseWord(word[2], block.first, 0, GridColumns - 1) ||
            !parseWord(word[3], block.last, block.first, GridColumns - 1)) {
            ++skipped;
            continue;
        }
        block.name = word[0];
        blocks.push_back(block);
    }
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const Block& a, const Block& b) { return a.first < b.first; });
    return blocks;
}
