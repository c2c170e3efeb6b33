#include "net/outbox.h"

#include <algorithm>

#include "net/board_answers.h"
#include "screens/replay_file.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"

namespace {

// The replay text as the game writes it, or "" when it is no sound replay.
std::string canonicalReplay(std::string_view replay) {
    ReplayData data;
    std::string reason;
    if (replay.size() > MaxReplayFileBytes || !parseReplayText(replay, data, reason)) {
        return std::string();
    }
    return replayText(data);
}

std::size_t lineCount(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// One "keyword value" line of a block; false for anything else.
bool keywordLine(text::LineReader& lines, std::string_view keyword, std::string_view& value) {
    std::string_view line;
    if (!lines.next(line)) {
        return false;
    }
    text::WordReader words(line);
    std::string_view word;
    std::string_view extra;
    return words.next(word) && word == keyword && words.next(value) && !words.next(extra);
}

bool readBlock(text::LineReader& lines, std::string_view contents, PendingRun& run) {
    std::string_view value;
    int64_t number = 0;
    if (!keywordLine(lines, "envoi", value) || !text::parseWholeInt64(value, number) ||
        number < 0 || number > MaxBoardLevel) {
        return false;
    }
    run.level = static_cast<int32_t>(number);
    if (!keywordLine(lines, "essais", value) || !text::parseWholeInt64(value, number) ||
        number < 0 || number > 1000000) {
        return false;
    }
    run.tries = static_cast<int32_t>(number);
    if (!keywordLine(lines, "prochain", value) || !text::parseWholeInt64(value, run.nextTryMs)) {
        return false;
    }
    // The ticket is optional: the next line is either it or the run.
    const std::size_t beforeTicket = lines.offset();
    if (keywordLine(lines, "ticket", value) && isSafeSecret(value)) {
        run.ticket = std::string(value);
    } else {
        lines.seek(beforeTicket);
    }
    if (!keywordLine(lines, "course", value) || !text::parseWholeInt64(value, number) ||
        number < 1 || number > MaxReplayEvents + 8) {
        return false;
    }
    const std::size_t start = lines.offset();
    std::string_view line;
    for (int64_t i = 0; i < number; ++i) {
        if (!lines.next(line)) {
            return false;
        }
    }
    run.replay = canonicalReplay(contents.substr(start, lines.offset() - start));
    return !run.replay.empty();
}

}  // namespace

SendOutcome sendOutcomeOf(int32_t status) {
    switch (status) {
        case 200:
            return SendOutcome::Accepted;
        case 400:
        case 404:
        case 409:
        case 413:
        case 422:
            return SendOutcome::Refused;
        default:
            return SendOutcome::Later;
    }
}

int64_t retryDelayMs(int32_t tries) {
    int64_t delay = FirstRetryMs;
    for (int32_t i = 0; i < tries && delay < LastRetryMs; ++i) {
        delay *= 2;
    }
    return std::min(delay, LastRetryMs);
}

bool queueRun(Outbox& outbox, PendingRun run) {
    run.replay = canonicalReplay(run.replay);
    if (run.replay.empty() || run.level < 0 || run.level > MaxBoardLevel ||
        (!run.ticket.empty() && !isSafeSecret(run.ticket))) {
        return false;
    }
    for (PendingRun& waiting : outbox.runs) {
        if (waiting.level == run.level) {
            waiting = std::move(run);
            return true;
        }
    }
    if (outbox.runs.size() >= MaxOutboxRuns) {
        return false;
    }
    outbox.runs.push_back(std::move(run));
    return true;
}

const PendingRun* dueRun(const Outbox& outbox, int64_t nowMs) {
    const PendingRun* due = nullptr;
    for (const PendingRun& run : outbox.runs) {
        // A try put off past any wait the game sets came from a clock set
        // back or a damaged file: it is due now rather than never.
        const bool late = run.nextTryMs <= nowMs || run.nextTryMs - LongestWaitMs > nowMs;
        if (late && (due == nullptr || run.nextTryMs < due->nextTryMs)) {
            due = &run;
        }
    }
    return due;
}

bool settleRun(Outbox& outbox, int32_t level, const std::string& replay, SendOutcome outcome,
               int64_t nowMs, int64_t retryAfterMs) {
    for (auto run = outbox.runs.begin(); run != outbox.runs.end(); ++run) {
        if (run->level != level || run->replay != replay) {
            continue;
        }
        if (outcome == SendOutcome::Later) {
            run->nextTryMs = nowMs + std::max(retryDelayMs(run->tries), retryAfterMs);
            ++run->tries;
        } else {
            outbox.runs.erase(run);
        }
        return true;
    }
    return false;
}

Outbox parseOutboxText(std::string_view contents) {
    Outbox outbox;
    text::LineReader lines(contents);
    while (outbox.runs.size() < MaxOutboxRuns) {
        PendingRun run;
        if (!readBlock(lines, contents, run)) {
            break;
        }
        queueRun(outbox, std::move(run));
    }
    return outbox;
}

std::string outboxText(const Outbox& outbox) {
    std::string written;
    for (const PendingRun& run : outbox.runs) {
        written += "envoi " + std::to_string(run.level) + "\nessais " + std::to_string(run.tries) +
                   "\nprochain " + std::to_string(run.nextTryMs) + "\n";
        if (!run.ticket.empty()) {
            written += "ticket " + run.ticket + "\n";
        }
        written += "course " + std::to_string(lineCount(run.replay)) + "\n" + run.replay;
    }
    return written;
}

Outbox readOutbox(const std::string& path) {
    std::string contents;
    if (!text::readWholeFile(path, contents, MaxOutboxFileBytes)) {
        return Outbox{};
    }
    return parseOutboxText(contents);
}

bool writeOutbox(const Outbox& outbox, const std::string& path) {
    if (outbox.runs.empty()) {
        return removeFileDurably(path);
    }
    return writeFileAtomically(path, outboxText(outbox));
}
