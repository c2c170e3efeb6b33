#pragma once

#include <cstdint>
#include <string>

#include "net/player_name.h"

// The text a player types as their name for the world board, in UTF-8. It
// takes only the characters a name may hold (letters, accented ones
// included, digits, space, '-' and '_') and at most MaxPlayerNameLength of
// them, so what is on show can always be sent. Pure.
class NameField {
  public:
    // Adds the character SDL reports (its unicode field); false, changing
    // nothing, for one a name may not hold or once the field is full.
    bool type(uint32_t code);
    // Takes the last character away, however many bytes it holds.
    void backspace();
    void clear() { text_.clear(); }

    const std::string& text() const { return text_; }
    int length() const;  // in characters

  private:
    std::string text_;
};
