#pragma once

#include <string>
#include <string_view>
#include <vector>

constexpr int MaxAnimationFrames = 100;

// The frame image paths an animation file names, in order, one per "img"
// line; lines after the hundredth "img" line are ignored. Pure.
std::vector<std::string> parseAnimationText(std::string_view text);
