// The hero file parser on any text: the name table's limit holds, even for
// huge counts, and every frame name has the shape base + "0" + n + ".png".
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "actors/hero_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const HeroFileData data =
        parseHeroText(std::string_view(reinterpret_cast<const char*>(bytes), size));
    if (data.frameFiles.size() > static_cast<std::size_t>(MaxHeroFrameNames)) {
        std::abort();
    }
    for (const std::string& name : data.frameFiles) {
        if (name.size() < 6 || name.compare(name.size() - 4, 4, ".png") != 0) {
            std::abort();
        }
    }
    return 0;
}
