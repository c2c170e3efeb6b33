// The animation file parser on any text: never more frames than the table
// holds, and every path a single word.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gfx/animation_file.h"
#include "util/keyword_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const auto names =
        parseAnimationText(std::string_view(reinterpret_cast<const char*>(bytes), size));
    if (names.size() > static_cast<std::size_t>(MaxAnimationFrames)) {
        std::abort();
    }
    for (const std::string& name : names) {
        for (char c : name) {
            if (text::isSpace(c)) {
                std::abort();
            }
        }
    }
    return 0;
}
