#pragma once

// Line and word splitting shared by every keyword file the game reads
// (level, animation, hero, story, saved game, records). Pure: no I/O here
// except readWholeFile.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// True for the characters that separate words: blank, tab, carriage return,
// line feed, vertical tab and form feed (what a C++ stream skips).
constexpr bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Walks the lines of a text. A line ends at a line feed; the last line may
// lack one. The line feed is not part of the line.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    // Stores the next line and returns true, or returns false at the end.
    bool next(std::string_view& line);
    // Byte offset just past the line last returned.
    std::size_t offset() const { return pos_; }
    void seek(std::size_t pos) { pos_ = pos; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Walks the white-space separated words of one line (or any text).
class WordReader {
  public:
    explicit WordReader(std::string_view text) : text_(text) {}
    // Stores the next word and returns true, or returns false when none is left.
    bool next(std::string_view& word);
    std::size_t offset() const { return pos_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Reads a leading, optionally signed decimal integer the way a C++ stream
// extraction into a 32-bit int does: "12abc" gives 12, "abc" and numbers
// outside the 32-bit range give false. Leading white space is skipped.
// On success `consumed` (if given) is the number of characters used.
bool parseInt32(std::string_view text, int32_t& value, std::size_t* consumed = nullptr);
// The same for a word that must be a number and nothing else ("70", not
// "70%").
bool parseWholeInt32(std::string_view word, int32_t& value);
// A word that is a 64-bit decimal number, optionally negative, and nothing else.
bool parseWholeInt64(std::string_view word, int64_t& value);

// Reads a leading floating-point number the way a C++ stream extraction into
// a double does, after optional white space. False when there is none.
bool parseDouble(std::string_view text, double& value);

// std::from_chars of a double in general format. The browser build's C++
// library has no floating-point from_chars; there the same result comes
// from strtod.
std::from_chars_result doubleFromChars(const char* first, const char* last, double& value);

// The most a small data file (story, saved game, records, animation, hero)
// is read: far beyond what any of them can use.
constexpr std::size_t MaxDataFileBytes = std::size_t{4} << 20;

// Reads a whole file into `contents`. False when it cannot be opened, is no
// regular file or holds more than `limit` bytes, so that a pipe or device
// (which may never send, or never end) or a huge file reads as no file
// instead of stopping the game or taking all memory; `contents` is then left
// as it was.
bool readWholeFile(const std::string& path, std::string& contents, std::size_t limit);

}  // namespace text
