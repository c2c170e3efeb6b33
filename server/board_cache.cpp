#include "board_cache.h"

#include <algorithm>
#include <mutex>

namespace {

// More skipped numbers than this at once are not waited for.
constexpr std::size_t MaxGaps = 10000;

}  // namespace

void BoardCache::startAt(int64_t logEnd) {
    std::unique_lock lock(mutex);
    lastSeen = std::max<int64_t>(0, logEnd - StartOverlap);
    gaps.clear();
}

int64_t BoardCache::readFrom(int64_t nowMs) {
    std::unique_lock lock(mutex);
    for (auto gap = gaps.begin(); gap != gaps.end();) {
        gap = nowMs - gap->second > GapWaitMs ? gaps.erase(gap) : std::next(gap);
    }
    return gaps.empty() ? lastSeen : gaps.begin()->first - 1;
}

void BoardCache::change(Board& board, const BoardChange& change) {
    if (change.oldRun != 0) {
        board.order.erase(change.oldScore, change.oldRun);
    }
    if (change.newRun != 0) {
        board.order.insert(change.newScore, change.newRun);
    }
    board.firstPages.clear();
}

void BoardCache::apply(const std::vector<BoardChange>& changes, int64_t nowMs) {
    std::unique_lock lock(mutex);
    for (const BoardChange& seen : changes) {
        gaps.erase(seen.id);
        for (int64_t skipped = lastSeen + 1; skipped < seen.id && gaps.size() < MaxGaps;
             ++skipped) {
            gaps.emplace(skipped, nowMs);
        }
        lastSeen = std::max(lastSeen, seen.id);
        const auto board = boards.find(seen.fingerprint);
        if (board != boards.end()) {
            change(board->second, seen);
            board->second.version = ++lastVersion;
        }
    }
}

bool BoardCache::loaded(const std::string& fingerprint) const {
    std::shared_lock lock(mutex);
    return boards.count(fingerprint) != 0;
}

void BoardCache::add(const std::string& fingerprint, BoardIndex board) {
    std::unique_lock lock(mutex);
    Board& kept = boards[fingerprint];
    kept.order = std::move(board);
    kept.version = ++lastVersion;
    kept.firstPages.clear();
}

void BoardCache::clear() {
    std::unique_lock lock(mutex);
    boards.clear();
}

bool BoardCache::rankOf(const std::string& fingerprint, int32_t score, int64_t run,
                        int64_t& rank) const {
    std::shared_lock lock(mutex);
    const auto board = boards.find(fingerprint);
    if (board == boards.end()) {
        return false;
    }
    rank = board->second.order.rankOf(score, run);
    return true;
}

bool BoardCache::size(const std::string& fingerprint, int64_t& total) const {
    std::shared_lock lock(mutex);
    const auto board = boards.find(fingerprint);
    if (board == boards.end()) {
        return false;
    }
    total = board->second.order.size();
    return true;
}

bool BoardCache::entryAt(const std::string& fingerprint, int64_t rank, bool& found, int32_t& score,
                         int64_t& run) const {
    std::shared_lock lock(mutex);
    const auto board = boards.find(fingerprint);
    if (board == boards.end()) {
        return false;
    }
    found = board->second.order.entryAt(rank, score, run);
    return true;
}

bool BoardCache::firstPage(const std::string& fingerprint, int64_t limit,
                           std::vector<BoardEntry>& entries, uint64_t& version) const {
    std::shared_lock lock(mutex);
    const auto board = boards.find(fingerprint);
    if (board == boards.end()) {
        version = 0;
        return false;
    }
    version = board->second.version;
    const auto page = board->second.firstPages.find(limit);
    if (page == board->second.firstPages.end()) {
        return false;
    }
    entries = page->second;
    return true;
}

void BoardCache::keepFirstPage(const std::string& fingerprint, int64_t limit, uint64_t version,
                               const std::vector<BoardEntry>& entries) {
    std::unique_lock lock(mutex);
    const auto board = boards.find(fingerprint);
    if (board != boards.end() && board->second.version == version) {
        board->second.firstPages[limit] = entries;
    }
}
