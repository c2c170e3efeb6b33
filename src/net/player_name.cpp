#include "net/player_name.h"

#include <cstdint>
#include <vector>

namespace {

// Decodes one UTF-8 character at `at`; false for a malformed or overlong one.
bool decode(std::string_view text, std::size_t& at, uint32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    int extra = 0;
    uint32_t min = 0;
    if (first < 0x80) {
        code = first;
    } else if ((first & 0xE0) == 0xC0) {
        code = first & 0x1F;
        extra = 1;
        min = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        code = first & 0x0F;
        extra = 2;
        min = 0x800;
    } else {
        return false;  // nothing a name allows lies beyond three bytes
    }
    if (at + extra >= text.size()) {
        return false;  // cut short
    }
    for (int i = 1; i <= extra; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return false;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (extra > 0 && code < min) {
        return false;
    }
    at += 1 + extra;
    return true;
}

}  // namespace

void appendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

namespace {

// Latin letters: ASCII, Latin-1's letters and Latin Extended-A and B.
bool isLetter(uint32_t code) {
    if ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z')) {
        return true;
    }
    return code >= 0xC0 && code <= 0x24F && code != 0xD7 && code != 0xF7;
}

uint32_t lower(uint32_t code) {
    if ((code >= 'A' && code <= 'Z') || (code >= 0xC0 && code <= 0xDE && code != 0xD7)) {
        return code + 0x20;
    }
    if (code == 0x178) {
        return 0xFF;  // Ÿ
    }
    // Latin Extended-A pairs capitals and small letters, capital first, in
    // two runs that change parity at U+0138.
    if ((code >= 0x100 && code < 0x138 && code != 0x130) || (code >= 0x14A && code < 0x178)) {
        return code | 1;
    }
    if (code > 0x138 && code < 0x149) {
        return code % 2 == 1 ? code + 1 : code;
    }
    if (code >= 0x179 && code < 0x17F) {
        return code % 2 == 1 ? code + 1 : code;
    }
    return code;
}

}  // namespace

bool isPlayerNameCharacter(uint32_t code) {
    return isLetter(code) || (code >= '0' && code <= '9') || code == ' ' || code == '-' ||
           code == '_';
}

bool normalizePlayerName(std::string_view raw, std::string& name, std::string& key,
                         std::string& reason) {
    std::vector<uint32_t> codes;
    std::size_t at = 0;
    while (at < raw.size()) {
        uint32_t code = 0;
        if (!decode(raw, at, code)) {
            reason = "le nom n'est pas un texte UTF-8 valide";
            return false;
        }
        if (!isPlayerNameCharacter(code)) {
            reason =
                "le nom ne peut contenir que des lettres, des chiffres, des espaces, '-' et '_'";
            return false;
        }
        codes.push_back(code);
        if (codes.size() > 4 * MaxPlayerNameLength) {
            break;  // far too long anyway
        }
    }
    std::size_t begin = 0;
    std::size_t end = codes.size();
    while (begin < end && codes[begin] == ' ') {
        ++begin;
    }
    while (end > begin && codes[end - 1] == ' ') {
        --end;
    }
    const std::size_t length = end - begin;
    if (length < MinPlayerNameLength || length > MaxPlayerNameLength) {
        reason = "le nom doit avoir de " + std::to_string(MinPlayerNameLength) + " a " +
                 std::to_string(MaxPlayerNameLength) + " caracteres";
        return false;
    }
    name.clear();
    key.clear();
    for (std::size_t i = begin; i < end; ++i) {
        appendUtf8(codes[i], name);
        appendUtf8(lower(codes[i]), key);
    }
    return true;
}
