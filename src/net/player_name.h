#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr int MinPlayerNameLength = 3;
constexpr int MaxPlayerNameLength = 16;

// A player's name as it is kept: trimmed, 3 to 16 characters of letters
// (accented Latin ones included), digits, space, '-' and '_', in UTF-8.
// `key` is the name folded to lower case, so that two names that differ only
// by case are one. False with a French reason for any other text. Pure.
bool normalizePlayerName(std::string_view raw, std::string& name, std::string& key,
                         std::string& reason);

// One character a name may hold (a Unicode code point), as the rule above.
bool isPlayerNameCharacter(uint32_t code);
// `code` (below U+10000) in UTF-8, after `out`.
void appendUtf8(uint32_t code, std::string& out);
