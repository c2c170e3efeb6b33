// The story file parser on any text: at most 100 levels, each key having
// matched its index, each path a non-empty single word.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/game.h"
#include "screens/story.h"
#include "util/keyword_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const auto files = parseStoryText(std::string_view(reinterpret_cast<const char*>(bytes), size));
    if (files.size() > static_cast<std::size_t>(MaxLevelFiles)) {
        std::abort();
    }
    for (const std::string& path : files) {
        if (path.empty()) {
            std::abort();
        }
        for (char c : path) {
            if (text::isSpace(c)) {
                std::abort();
            }
        }
    }
    return 0;
}
