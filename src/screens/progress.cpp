#include "screens/progress.h"

#include <algorithm>

#include "util/atomic_file.h"
#include "util/keyword_text.h"

namespace {

constexpr int32_t MaxAttempts = 999999999;

// The next word as a whole number within [low, high].
bool nextNumber(text::WordReader& words, int32_t low, int32_t high, int32_t& value) {
    std::string_view word;
    int32_t number = 0;
    if (!words.next(word) || !text::parseWholeInt32(word, number) || number < low ||
        number > high) {
        return false;
    }
    value = number;
    return true;
}

bool nextKeyword(text::WordReader& words, std::string_view keyword) {
    std::string_view word;
    return words.next(word) && word == keyword;
}

}  // namespace

ProgressData parseProgressText(std::string_view text) {
    ProgressData progress{};
    text::LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        text::WordReader words(line);
        int32_t level = 0;
        LevelProgress read;
        std::string_view extra;
        if (nextKeyword(words, "niveau") && nextNumber(words, 0, ProgressLevels - 1, level) &&
            nextKeyword(words, "essais") && nextNumber(words, 0, MaxAttempts, read.attempts) &&
            nextKeyword(words, "meilleur") && nextNumber(words, 0, 100, read.bestPercent) &&
            !words.next(extra)) {
            progress[static_cast<std::size_t>(level)] = read;
        }
    }
    return progress;
}

std::string progressText(const ProgressData& progress) {
    std::string text;
    for (int32_t level = 0; level < ProgressLevels; ++level) {
        const LevelProgress& entry = progress[static_cast<std::size_t>(level)];
        if (entry.attempts == 0 && entry.bestPercent == 0) {
            continue;
        }
        text += "niveau " + std::to_string(level) + " essais " + std::to_string(entry.attempts) +
                " meilleur " + std::to_string(entry.bestPercent) + "\n";
    }
    return text;
}

ProgressData readProgress() {
    std::string contents;
    if (!text::readWholeFile(ProgressPath, contents, text::MaxDataFileBytes)) {
        return ProgressData{};
    }
    return parseProgressText(contents);
}

bool countAttempt(int32_t levelIndex, int32_t percent, ProgressData& progress) {
    progress = readProgress();
    if (levelIndex < 0 || levelIndex >= ProgressLevels) {
        return false;
    }
    LevelProgress& entry = progress[static_cast<std::size_t>(levelIndex)];
    entry.attempts = std::min(entry.attempts + 1, MaxAttempts);
    entry.bestPercent = std::max(entry.bestPercent, std::clamp(percent, 0, 100));
    return writeFileAtomically(ProgressPath, progressText(progress));
}
