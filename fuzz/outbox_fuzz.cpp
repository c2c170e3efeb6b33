// The outbox and the account files on any bytes: what is read writes back
// to a text that reads the same, and holds only what may be sent.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/board_account.h"
#include "net/board_answers.h"
#include "net/outbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    const Outbox outbox = parseOutboxText(text);
    if (outbox.runs.size() > MaxOutboxRuns) {
        std::abort();
    }
    for (const PendingRun& run : outbox.runs) {
        if (run.replay.empty() || (!run.ticket.empty() && !isSafeSecret(run.ticket))) {
            std::abort();
        }
    }
    const std::string written = outboxText(outbox);
    if (outboxText(parseOutboxText(written)) != written) {
        std::abort();
    }
    const BoardAccount account = parseBoardAccountText(text);
    if (account.known() && !isSafeSecret(account.token)) {
        std::abort();
    }
    const std::string kept = boardAccountText(account);
    if (boardAccountText(parseBoardAccountText(kept)) != kept) {
        std::abort();
    }
    return 0;
}
