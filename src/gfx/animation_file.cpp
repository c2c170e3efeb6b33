#include "gfx/animation_file.h"

#include "util/keyword_text.h"

std::vector<std::string> parseAnimationText(std::string_view text) {
    std::vector<std::string> frameFiles;
    text::LineReader lines(text);
    std::string_view line;
    while (frameFiles.size() < static_cast<std::size_t>(MaxAnimationFrames) && lines.next(line)) {
        text::WordReader words(line);
        std::string_view word;
        if (!words.next(word) || word != "img") {
            continue;
        }
        // An "img" line without a path still names a frame: its load then
        // fails with a message that names the empty path, and the frame
        // takes its turn in the cycle like any other missing image.
        std::string_view path;
        frameFiles.emplace_back(words.next(path) ? path : std::string_view());
    }
    return frameFiles;
}
