// The records file reader on any text: the record is never negative, and a
// record written for it (or for any score made of the input's first bytes)
// reads back exactly.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "screens/records.h"

namespace {

void expectRoundTrip(int32_t score) {
    if (score < 0) {
        return;  // never a record
    }
    double square = -1.0;
    readRecordSquare(recordSquareText(score), square);
    if (recordFromSquare(square) != score) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    double square = 22500.0;  // the pass's value from an earlier file
    readRecordSquare(text, square);
    const int32_t record = recordFromSquare(square);
    if (record < 0) {
        std::abort();
    }
    expectRoundTrip(record);
    if (size >= sizeof(int32_t)) {
        int32_t score = 0;
        std::memcpy(&score, bytes, sizeof score);
        expectRoundTrip(score);
    }
    return 0;
}
