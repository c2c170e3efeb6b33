// The saved-game parser on any text: a failed read keeps the count, and
// whatever count is read is written back so that it reads the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "screens/story.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    int32_t levelCount = 2;
    if (!parseSavedGameText(text, levelCount)) {
        if (levelCount != 2) {
            std::abort();
        }
        return 0;
    }
    int32_t again = -7;
    if (!parseSavedGameText(savedGameText(levelCount), again) || again != levelCount) {
        std::abort();
    }
    return 0;
}
