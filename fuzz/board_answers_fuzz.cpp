// The world board's answers on any bytes: every parser says yes or gives a
// reason, and what it accepts keeps the bounds the game relies on.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/board_answers.h"

namespace {

void checkRows(const std::vector<BoardRow>& rows) {
    if (rows.size() > MaxBoardEntries) {
        std::abort();
    }
    for (const BoardRow& row : rows) {
        if (row.name.size() < 3 || row.name.size() > 64 || row.rank < 1 || row.score < 0 ||
            row.at.size() != 20) {
            std::abort();
        }
    }
}

template <class Answer, class Parse>
bool parsed(std::string_view body, Answer& answer, Parse parse) {
    std::string reason;
    if (!parse(body, answer, reason)) {
        if (reason.empty()) {
            std::abort();
        }
        return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(bytes), size);
    LevelBoard board;
    if (parsed(body, board, parseLevelBoard)) {
        checkRows(board.top);
    }
    BoardPage page;
    if (parsed(body, page, parseBoardPage)) {
        checkRows(page.entries);
    }
    BoardAround around;
    if (parsed(body, around, parseBoardAround)) {
        checkRows(around.entries);
    }
    NewPlayer player;
    if (parsed(body, player, parseNewPlayer) && !isSafeSecret(player.token)) {
        std::abort();
    }
    AttemptTicket ticket;
    if (parsed(body, ticket, parseAttemptTicket) && !isSafeSecret(ticket.ticket)) {
        std::abort();
    }
    RunVerdict verdict;
    parsed(body, verdict, parseRunVerdict);
    if (errorMessageOf(body, "x").size() > 200) {
        std::abort();
    }
    return 0;
}
