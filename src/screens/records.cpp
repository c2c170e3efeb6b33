#include "screens/records.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "screens/settings.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"

std::string recordsFileName(int32_t levelIndex, int32_t pace) {
    return "Save/records-" + std::to_string(levelIndex) + paceSuffix(pace) + ".rcd";
}

void readRecordSquare(std::string_view text, double& square) {
    if (text::parseDouble(text, square)) {
        return;
    }
    // A number too large (or too small) for a double is still a number: like
    // a stream, take it as infinite (or zero) rather than keep a stale value.
    std::size_t pos = 0;
    while (pos < text.size() && text::isSpace(text[pos])) {
        ++pos;
    }
    if (pos < text.size() && text[pos] == '+') {
        ++pos;
    }
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    const char* digits = (first != last && *first == '-') ? first + 1 : first;
    if (digits == last || !((*digits >= '0' && *digits <= '9') || *digits == '.')) {
        return;
    }
    double ignored = 0.0;
    const auto result = text::doubleFromChars(first, last, ignored);
    if (result.ec == std::errc::result_out_of_range) {
        const std::string number(first, result.ptr);
        square = std::strtod(number.c_str(), nullptr);
    }
}

int32_t recordFromSquare(double square) {
    // A negative or corrupt square stands for no record at all, so that the
    // next score replaces it instead of the cast below going out of range.
    if (!(square >= 0.0)) {
        return 0;
    }
    const double root = std::sqrt(square);
    if (!std::isfinite(root) || root >= 2147483648.0) {
        return 0;
    }
    return static_cast<int32_t>(root);
}

std::string recordSquareText(int32_t score) {
    // Plain integer digits of the exact square: "%.6g" would round a square
    // with more than six digits, and the record would come back smaller.
    const int64_t wide = score;
    return std::to_string(wide * wide);
}

bool writeRecordFile(int32_t levelIndex, int32_t score, int32_t pace) {
    return writeFileAtomically(recordsFileName(levelIndex, pace), recordSquareText(score));
}
