// The store's boards in memory: read from the database, and kept up to date
// from its log of changes by a thread of their own.

#include <algorithm>
#include <chrono>

#include "store.h"

namespace {

// How often the log is read: a run ranked by another server is in this
// one's order within this, and a read costs one indexed query.
constexpr int64_t FollowEveryMs = 100;
constexpr int64_t LogPage = 5000;
constexpr int64_t BoardPage = 10000;
// The log keeps an hour of changes. A server that could not read it for half
// of that reads its boards whole again rather than trust what it missed.
constexpr int64_t LogKeptMs = 3600 * 1000;
constexpr int64_t PruneEveryMs = 60 * 1000;

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

Store::~Store() {
    {
        std::lock_guard<std::mutex> lock(stopMutex);
        stopping = true;
    }
    stopWake.notify_all();
    if (follower.joinable()) {
        follower.join();
    }
}

StoreStatus Store::logChange(Slot& slot, const BoardChange& change) {
    return exec(slot, SqlQuery::LogChange,
                {change.fingerprint, int64_t{change.oldScore}, change.oldRun,
                 int64_t{change.newScore}, change.newRun, nowMs()},
                nullptr);
}

bool Store::ensureBoard(const std::string& fingerprint) {
    if (boards.loaded(fingerprint)) {
        return true;
    }
    // No read of the log while the board is read: what the log says after
    // this read is applied to the board, what it said before is in it.
    std::lock_guard<std::mutex> lock(logMutex);
    if (boards.loaded(fingerprint)) {
        return true;
    }
    BoardIndex board;
    int64_t afterScore = BoardIndex::MaxScore + 1;
    int64_t afterRun = 0;
    for (;;) {
        SqlRows rows;
        if (one(SqlQuery::BoardPage, {fingerprint, afterScore, afterRun, BoardPage}, &rows) !=
            StoreStatus::Ok) {
            return false;
        }
        for (const std::vector<std::string>& row : rows) {
            if (row.size() == 2) {
                afterScore = sqlNumber(row[0]);
                afterRun = sqlNumber(row[1]);
                board.insert(static_cast<int32_t>(afterScore), afterRun);
            }
        }
        if (static_cast<int64_t>(rows.size()) < BoardPage) {
            break;
        }
    }
    // A board of no one costs a query each time it is asked for, rather
    // than memory for every fingerprint a request can name.
    if (board.size() > 0 || keptBoards.count(fingerprint) != 0) {
        boards.add(fingerprint, std::move(board));
    }
    return true;
}

StoreStatus Store::followLog() {
    std::lock_guard<std::mutex> lock(logMutex);
    const int64_t now = nowMs();
    if (lastFollowedMs != 0 && now - lastFollowedMs > LogKeptMs / 2) {
        boards.clear();  // read again, each when next asked for
    }
    int64_t from = boards.readFrom(now);
    for (;;) {
        SqlRows rows;
        const StoreStatus status = one(SqlQuery::LogSince, {from, LogPage}, &rows);
        if (status != StoreStatus::Ok) {
            return status;
        }
        std::vector<BoardChange> changes;
        for (const std::vector<std::string>& row : rows) {
            if (row.size() == 6) {
                BoardChange change;
                change.id = sqlNumber(row[0]);
                change.fingerprint = row[1];
                change.oldScore = static_cast<int32_t>(sqlNumber(row[2]));
                change.oldRun = sqlNumber(row[3]);
                change.newScore = static_cast<int32_t>(sqlNumber(row[4]));
                change.newRun = sqlNumber(row[5]);
                changes.push_back(std::move(change));
            }
        }
        boards.apply(changes, now);
        if (static_cast<int64_t>(rows.size()) < LogPage || changes.empty()) {
            break;
        }
        from = changes.back().id;
    }
    lastFollowedMs = now;
    if (now - lastPrunedMs > PruneEveryMs) {
        lastPrunedMs = now;
        one(SqlQuery::PruneLog, {now - LogKeptMs}, nullptr);
        one(SqlQuery::PruneCounts, {now / 60000 - 1}, nullptr);
    }
    return StoreStatus::Ok;
}

StoreStatus Store::countAction(const std::string& key, const std::string& other, int64_t minute,
                               int64_t& count) {
    SqlRows rows;
    const StoreStatus status = other.empty()
                                   ? one(SqlQuery::CountAction, {key, minute}, &rows)
                                   : one(SqlQuery::CountTwoActions, {key, minute, other}, &rows);
    if (status == StoreStatus::Ok && (rows.empty() || rows[0].empty())) {
        return StoreStatus::Failed;
    }
    count = 0;
    for (const std::vector<std::string>& row : rows) {
        count = std::max(count, row.empty() ? 0 : sqlNumber(row[0]));
    }
    return status;
}

void Store::follow() {
    std::unique_lock<std::mutex> lock(stopMutex);
    while (!stopping) {
        lock.unlock();
        followLog();
        lock.lock();
        stopWake.wait_for(lock, std::chrono::milliseconds(FollowEveryMs),
                          [this] { return stopping; });
    }
}
