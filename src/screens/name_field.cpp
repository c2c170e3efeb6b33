#include "screens/name_field.h"

namespace {

bool isContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

bool NameField::type(uint32_t code) {
    if (!isPlayerNameCharacter(code) || length() >= MaxPlayerNameLength) {
        return false;
    }
    appendUtf8(code, text_);
    return true;
}

void NameField::backspace() {
    while (!text_.empty() && isContinuation(text_.back())) {
        text_.pop_back();
    }
    if (!text_.empty()) {
        text_.pop_back();
    }
}

int NameField::length() const {
    int count = 0;
    for (const char byte : text_) {
        count += isContinuation(byte) ? 0 : 1;
    }
    return count;
}
