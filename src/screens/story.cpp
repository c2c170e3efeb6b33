#include "screens/story.h"

#include "util/atomic_file.h"
#include "util/keyword_text.h"

std::vector<std::string> parseStoryText(std::string_view text) {
    std::vector<std::string> levelFiles;
    text::LineReader lines(text);
    std::string_view line;
    while (levelFiles.size() < static_cast<std::size_t>(MaxLevelFiles) && lines.next(line)) {
        text::WordReader words(line);
        std::string_view key;
        std::string_view path;
        // A line without a key, or a key without a path, is malformed: it is
        // skipped and the index it would have taken is still expected.
        if (!words.next(key)) {
            continue;
        }
        const std::string expected = std::to_string(levelFiles.size());
        if (key.find(expected) == std::string_view::npos || !words.next(path)) {
            continue;
        }
        levelFiles.emplace_back(path);
    }
    return levelFiles;
}

bool parseSavedGameText(std::string_view text, int32_t& levelCount) {
    return text::parseInt32(text, levelCount);
}

std::string savedGameText(int32_t levelCount) {
    return std::to_string(levelCount) + "\n";
}

bool raisedSavedGameText(std::string_view kept, std::string_view shipped, std::string& raised) {
    int32_t keptCount = InitialLevelCount;
    int32_t shippedCount = 0;
    parseSavedGameText(kept, keptCount);
    if (!parseSavedGameText(shipped, shippedCount) || shippedCount <= keptCount) {
        return false;
    }
    raised = savedGameText(shippedCount);
    return true;
}

void raiseSavedLevelCount(const std::string& shippedCopy) {
    std::string kept;
    std::string shipped;
    std::string raised;
    if (text::readWholeFile(SavedGamePath, kept, text::MaxDataFileBytes) &&
        text::readWholeFile(shippedCopy, shipped, text::MaxDataFileBytes) &&
        raisedSavedGameText(kept, shipped, raised)) {
        writeFileAtomically(SavedGamePath, raised);
    }
}
