#pragma once

#include <string>
#include <string_view>
#include <vector>

constexpr int MaxHeroFrameNames = 1000;
constexpr int MaxHeroFrames = 101;

// What a hero file says.
struct HeroFileData {
    std::string heroName;
    std::string cursorFile;
    std::vector<std::string> frameFiles;  // at most MaxHeroFrameNames
};

// Parses the text of a hero file. Pure: no I/O, no SDL.
HeroFileData parseHeroText(std::string_view text);
