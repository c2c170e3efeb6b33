#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The record runs waiting to reach the world board, kept in "Save/envois.txt"
// so that a run made offline, or while the server was away, is sent later,
// even after the game was closed. One block a run:
//
//   envoi 3                  the level
//   essais 2                 tries that found no answer so far
//   prochain 1800000000000   not to be tried before then (ms since 1970)
//   ticket 3.1800...         the level start's ticket, when one came
//   course 9                 the run's replay text: the 9 lines that follow
//   version 1
//   ...
//
// A level has at most one run waiting: a newer record of a level beats the
// one waiting by definition, and replaces it.
constexpr const char* OutboxPath = "Save/envois.txt";
constexpr std::size_t MaxOutboxRuns = 100;
constexpr std::size_t MaxOutboxFileBytes = std::size_t{8} << 20;

// Back-off between tries of one run: 5 s, doubling, at most 10 min.
constexpr int64_t FirstRetryMs = 5000;
constexpr int64_t LastRetryMs = 600000;
// The longest a server may put a run off (Retry-After): a day.
constexpr int64_t LongestWaitMs = 86400000;

struct PendingRun {
    int32_t level = 0;
    std::string replay;  // a whole replay file's text
    std::string ticket;  // "" when none came
    int32_t tries = 0;
    int64_t nextTryMs = 0;
};

struct Outbox {
    std::vector<PendingRun> runs;
};

// What an answer to a sent run means for it.
enum class SendOutcome {
    Accepted,  // ranked (200): it leaves the outbox
    Refused,   // the server will never take it (400, 404, 409, 413, 422): it leaves too
    Later,     // no answer, 401 (the token, not the run, is unknown), 429, 5xx,
               // anything unforeseen: tried again later
};

SendOutcome sendOutcomeOf(int32_t status);

// The wait before try number `tries` + 1.
int64_t retryDelayMs(int32_t tries);

// Queues `run`, replacing the run waiting for its level. False, changing
// nothing, for a run whose replay text does not parse or whose ticket is
// unsound, or when the outbox is full.
bool queueRun(Outbox& outbox, PendingRun run);

// The run due first at `nowMs`, or null when none is due. A run put off
// more than LongestWaitMs past `nowMs` is due.
const PendingRun* dueRun(const Outbox& outbox, int64_t nowMs);

// Settles the answer to sending `replay` for `level`: it leaves on Accepted
// and Refused, or waits the next back-off (at least `retryAfterMs`, the
// server's Retry-After) on Later. A run that was replaced since it was sent
// stays as the newer one. True when the outbox changed.
bool settleRun(Outbox& outbox, int32_t level, const std::string& replay, SendOutcome outcome,
               int64_t nowMs, int64_t retryAfterMs = 0);

// Pure. Reads blocks up to the first unsound one, which ends the reading:
// what came before it is kept.
Outbox parseOutboxText(std::string_view text);
std::string outboxText(const Outbox& outbox);

Outbox readOutbox(const std::string& path = OutboxPath);
// Atomically (an empty outbox removes the file); false when it could not
// be written, the old file then staying.
bool writeOutbox(const Outbox& outbox, const std::string& path = OutboxPath);
