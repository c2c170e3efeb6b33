#include "util/keyword_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "util/regular_file.h"

namespace text {

bool LineReader::next(std::string_view& line) {
    if (pos_ >= text_.size()) {
        return false;
    }
    const std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
    } else {
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
    }
    return true;
}

bool WordReader::next(std::string_view& word) {
    while (pos_ < text_.size() && isSpace(text_[pos_])) {
        ++pos_;
    }
    if (pos_ >= text_.size()) {
        return false;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_])) {
        ++pos_;
    }
    word = text_.substr(start, pos_ - start);
    return true;
}

bool parseInt32(std::string_view text, int32_t& value, std::size_t* consumed) {
    std::size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        ++pos;
    }
    if (pos == digitsStart) {
        return false;
    }
    // Accumulate as 64-bit with a cap so that any length of digits is safe.
    int64_t magnitude = 0;
    for (std::size_t i = digitsStart; i < pos; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 2147483648LL) {
            return false;
        }
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX || signedValue < INT32_MIN) {
        return false;
    }
    value = static_cast<int32_t>(signedValue);
    if (consumed != nullptr) {
        *consumed = pos;
    }
    return true;
}

std::from_chars_result doubleFromChars(const char* first, const char* last, double& value) {
#ifdef __EMSCRIPTEN__
    // strtod reads what from_chars reads, and also white space, a '+',
    // infinities, NaNs and hexadecimal, which from_chars does not.
    const char* body = (first != last && *first == '-') ? first + 1 : first;
    if (body == last || !((*body >= '0' && *body <= '9') || *body == '.')) {
        return {first, std::errc::invalid_argument};
    }
    if (last - body >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        last = body + 1;  // from_chars stops at the 'x'
    }
    const std::string number(first, last);
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(number.c_str(), &end);
    if (end == number.c_str()) {
        return {first, std::errc::invalid_argument};
    }
    const char* ptr = first + (end - number.c_str());
    if (errno == ERANGE) {
        return {ptr, std::errc::result_out_of_range};
    }
    value = parsed;
    return {ptr, std::errc()};
#else
    return std::from_chars(first, last, value, std::chars_format::general);
#endif
}

bool parseWholeInt32(std::string_view word, int32_t& value) {
    std::size_t consumed = 0;
    int32_t number = 0;
    if (!parseInt32(word, number, &consumed) || consumed != word.size()) {
        return false;
    }
    value = number;
    return true;
}

bool parseWholeInt64(std::string_view word, int64_t& value) {
    int64_t number = 0;
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, number);
    if (word.empty() || error != std::errc() || stop != end) {
        return false;
    }
    value = number;
    return true;
}

bool parseDouble(std::string_view text, double& value) {
    std::size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    // from_chars takes no leading '+'; a stream extraction does.
    if (pos < text.size() && text[pos] == '+') {
        ++pos;
        if (pos < text.size() && text[pos] == '-') {
            return false;
        }
    }
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    const char* body = (first != last && *first == '-') ? first + 1 : first;
    if (body == last || !((*body >= '0' && *body <= '9') || *body == '.')) {
        return false;  // streams read no infinities, NaNs or hexadecimal
    }
    double parsed = 0.0;
    const auto result = doubleFromChars(first, last, parsed);
    if (result.ec != std::errc()) {
        return false;
    }
    value = parsed;
    return true;
}

bool readWholeFile(const std::string& path, std::string& contents, std::size_t limit) {
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0) {
        return false;
    }
    // A regular file's size is known without reading it.
    struct stat info {};
    bool readable = ::fstat(fd, &info) == 0 && static_cast<uintmax_t>(info.st_size) <= limit;
    std::string text;
    char chunk[65536];
    while (readable) {
        // One byte past the limit tells a file of exactly `limit` from a longer one.
        const std::size_t wanted = std::min(sizeof chunk, limit + 1 - text.size());
        const ssize_t n = ::read(fd, chunk, wanted);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            readable = n == 0;
            break;
        }
        text.append(chunk, static_cast<std::size_t>(n));
        readable = text.size() <= limit;
    }
    ::close(fd);
    if (readable) {
        contents = std::move(text);
    }
    return readable;
}

}  // namespace text
