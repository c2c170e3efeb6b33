#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "board_cache.h"
#include "pg_database.h"
#include "sql_query.h"
#include "sqlite_database.h"
#include "store_rows.h"

// The leaderboard's storage: players, their kept runs and each board's bests,
// in a SQLite file or on a PostgreSQL server, through one set of statements.
// Holds a few connections and lends each to one thread at a time, so every
// operation is safe to call from any worker. Keeps nothing the database does
// not have, so several servers can share one PostgreSQL: each board's order
// is kept in memory too, for ranks, but read from the database and from its
// log of changes, which a thread of the store reads ten times a second.
class Store {
  public:
    Store() = default;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    ~Store();

    // `database` is a SQLite file's path or a postgresql:// URL. Runs the
    // schema's migrations, reads the boards of `boards` (fingerprints) into
    // memory and starts following the log. False with a French message in
    // `error`.
    bool open(const std::string& database, int connections, const std::vector<std::string>& boards,
              std::string& error);

    // Conflict when the name (ignoring case) is taken.
    StoreStatus addPlayer(const std::string& name, const std::string& nameKey,
                          const std::string& tokenHash, int64_t& id);
    StoreStatus playerByToken(const std::string& tokenHash, PlayerRow& player);
    // The player, their runs and their places on every board.
    StoreStatus deletePlayer(int64_t id);

    // Keeps `run` (its id set) when it beats the player's best on its level
    // file, atomically; `improved` says whether it did, and `best` is the best
    // run and score afterwards either way.
    StoreStatus keepRun(RunRow& run, bool& improved, int64_t& bestRun, int32_t& bestScore);
    StoreStatus bestOf(const std::string& fingerprint, int64_t player, int64_t& run,
                       int32_t& score);
    // 1 + the entries ahead of (score, run): higher scores, and equal ones
    // that came first. From memory, in microseconds, whatever the rank.
    StoreStatus rankOf(const std::string& fingerprint, int32_t score, int64_t run, int64_t& rank);
    StoreStatus boardSize(const std::string& fingerprint, int64_t& total);
    StoreStatus board(const std::string& fingerprint, int64_t offset, int64_t limit,
                      std::vector<BoardEntry>& entries);
    // The entry of (score, run), at `rank`, with up to `reach` entries above
    // and below it; found through the index, whatever the rank.
    StoreStatus around(const std::string& fingerprint, int32_t score, int64_t run, int64_t rank,
                       int64_t reach, std::vector<BoardEntry>& entries);
    StoreStatus runReplay(int64_t id, std::string& replay);
    // The secret called `name`: the one the database has, or `fresh`, which
    // it then keeps, when it has none yet.
    StoreStatus sharedSecret(const std::string& name, const std::string& fresh,
                             std::string& secret);

    // Counts one more action of `key` in `minute` (of the clock), for every
    // server on the database, and gives how many it has made in it. With
    // `other` (a different key), counts one for each in one write and gives
    // the larger count.
    StoreStatus countAction(const std::string& key, const std::string& other, int64_t minute,
                            int64_t& count);

    // Reads the log of changes once: what the other servers changed.
    StoreStatus followLog();

  private:
    struct Slot {
        std::unique_ptr<SqliteDatabase> sqlite;
        std::unique_ptr<PgDatabase> pg;
        bool busy = false;
        std::unique_lock<std::mutex> writing;  // a SQLite transaction's turn to write
    };
    Slot& acquire();
    void release(Slot& slot);
    StoreStatus exec(Slot& slot, SqlQuery query, const std::vector<SqlParam>& params, SqlRows* rows,
                     int64_t* changes = nullptr);
    StoreStatus one(SqlQuery query, const std::vector<SqlParam>& params, SqlRows* rows,
                    int64_t* changes = nullptr);
    StoreStatus keepRunOnce(Slot& slot, RunRow& run, bool& improved);
    static StoreStatus appendEntries(const SqlRows& rows, int64_t firstRank, int64_t step,
                                     std::vector<BoardEntry>& entries);
    bool begin(Slot& slot);
    bool commit(Slot& slot);
    void rollback(Slot& slot);
    StoreStatus logChange(Slot& slot, const BoardChange& change);
    // Reads a board into memory unless it is there; false when the database
    // could not be read. An empty board is kept only when asked to be.
    bool ensureBoard(const std::string& fingerprint);
    void follow();

    std::vector<std::unique_ptr<Slot>> slots;
    std::mutex mutex;
    std::condition_variable freed;
    uint64_t nextTicket = 0;    // the turn of the next thread to ask for a connection
    uint64_t servedTicket = 0;  // the turn served next
    std::mutex sqliteWrites;    // one of this server's SQLite writers at a time

    BoardCache boards;
    std::unordered_set<std::string> keptBoards;  // kept in memory even when empty
    std::mutex logMutex;                         // one reader of the log at a time
    int64_t lastFollowedMs = 0;
    int64_t lastPrunedMs = 0;
    std::thread follower;
    std::mutex stopMutex;
    std::condition_variable stopWake;
    bool stopping = false;
};
