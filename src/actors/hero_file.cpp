#include "actors/hero_file.h"

#include <cstdint>
#include <string>

#include "util/keyword_text.h"

namespace {

// A frame count: one whole word, a decimal integer of at least 0.
bool readCount(std::string_view word, int32_t& count) {
    std::size_t consumed = 0;
    return text::parseInt32(word, count, &consumed) && consumed == word.size() && count >= 0;
}

// Appends base + "0" + n + ".png" for n = 1..count, keeping at most
// MaxHeroFrameNames names in all; a huge count stops at the limit.
void appendFrameNames(std::vector<std::string>& names, std::string_view base, int32_t count) {
    for (int32_t n = 1; n <= count && names.size() < MaxHeroFrameNames; ++n) {
        std::string name(base);
        name += '0';
        name += std::to_string(n);
        name += ".png";
        names.push_back(std::move(name));
    }
}

}  // namespace

HeroFileData parseHeroText(std::string_view contents) {
    HeroFileData data;
    text::LineReader lines(contents);
    std::string_view line;
    while (lines.next(line)) {
        text::WordReader words(line);
        std::string_view keyword;
        std::string_view second;
        if (!words.next(keyword) || !words.next(second)) {
            continue;  // an empty line, or a directive without its word
        }
        if (keyword == "name") {
            data.heroName = second;
        } else if (keyword == "img") {
            if (second == "run" || second == "stand" || second == "jump") {
                std::string_view countWord;
                std::string_view base;
                int32_t count = 0;
                if (words.next(countWord) && readCount(countWord, count) && words.next(base)) {
                    appendFrameNames(data.frameFiles, base, count);
                }
            } else if (second == "curseur") {
                std::string_view file;
                if (words.next(file)) {
                    data.cursorFile = file;
                }
            }
        }
    }
    return data;
}
