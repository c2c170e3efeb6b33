#pragma once

#include <cstdint>
#include <map>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "board_index.h"
#include "store_rows.h"

// A change of one entry of a board, as the database's log of changes keeps
// it: the entry that left (run 0 when none did) and the one that came (run 0
// when none did, as when a player is deleted).
struct BoardChange {
    int64_t id = 0;  // the log's, growing with each change
    std::string fingerprint;
    int32_t oldScore = 0;
    int64_t oldRun = 0;
    int32_t newScore = 0;
    int64_t newRun = 0;
};

// Every loaded board's order in memory, kept up to date from the database's
// log of changes, which every server on the database writes and reads: so a
// run ranked by one server is in the others' order by their next read.
//
// Applying a change twice changes nothing, and applying the log's changes in
// order from any point on gives the board as the database has it. So a read
// of the log may start early: before a change that may still be committing
// (a number the log skipped, for a while), and, at start, a little before the
// log's end. Thread-safe; readers share, changes exclude.
class BoardCache {
  public:
    // A number the log skipped is waited for this long, then taken as a
    // change that was rolled back.
    static constexpr int64_t GapWaitMs = 10000;
    // How far before the log's end the first read starts.
    static constexpr int64_t StartOverlap = 1000;

    // Starts reading the log near `logEnd`, its last change's number.
    void startAt(int64_t logEnd);
    // The number after which the next read of the log starts.
    int64_t readFrom(int64_t nowMs);
    // Changes read from the log, in order.
    void apply(const std::vector<BoardChange>& changes, int64_t nowMs);

    bool loaded(const std::string& fingerprint) const;
    // A board read whole from the database; changes of it read before then
    // are in it already.
    void add(const std::string& fingerprint, BoardIndex board);
    // Every board, to be read again (after the log could not be read for
    // longer than it is kept).
    void clear();

    // False when the board is not loaded.
    bool rankOf(const std::string& fingerprint, int32_t score, int64_t run, int64_t& rank) const;
    bool size(const std::string& fingerprint, int64_t& total) const;
    // True with found false past the board's end.
    bool entryAt(const std::string& fingerprint, int64_t rank, bool& found, int32_t& score,
                 int64_t& run) const;

    // A board's first `limit` entries as the database last gave them, while
    // the board has not changed since: the top 10 is what most requests ask
    // for. False (with the board's version, to keep a page read now under)
    // when there is none.
    bool firstPage(const std::string& fingerprint, int64_t limit, std::vector<BoardEntry>& entries,
                   uint64_t& version) const;
    // Keeps a page read at `version`, unless the board changed meanwhile.
    void keepFirstPage(const std::string& fingerprint, int64_t limit, uint64_t version,
                       const std::vector<BoardEntry>& entries);

  private:
    struct Board {
        BoardIndex order;
        uint64_t version = 0;  // changes with each change, never back to an earlier one
        std::unordered_map<int64_t, std::vector<BoardEntry>> firstPages;  // by their limit
    };
    static void change(Board& board, const BoardChange& change);

    mutable std::shared_mutex mutex;
    std::unordered_map<std::string, Board> boards;
    uint64_t lastVersion = 0;
    int64_t lastSeen = 0;
    std::map<int64_t, int64_t> gaps;  // a skipped number, and when it was first missed
};
