#include "store.h"

#include <algorithm>
#include <chrono>

#include "server_options.h"

namespace {

// Text to a 32-bit column's value; the store only ever wrote such values.
int32_t number32(const std::string& text) {
    return static_cast<int32_t>(sqlNumber(text));
}

}  // namespace

bool Store::open(const std::string& database, int connections,
                 const std::vector<std::string>& boardsKept, std::string& error) {
    const bool postgres = isPostgresUrl(database);
    for (int i = 0; i < connections; ++i) {
        auto slot = std::make_unique<Slot>();
        const bool migrate = i == 0;
        if (postgres) {
            slot->pg = std::make_unique<PgDatabase>();
            if (!slot->pg->open(database, migrate, error)) {
                return false;
            }
        } else {
            slot->sqlite = std::make_unique<SqliteDatabase>();
            if (!slot->sqlite->open(database, migrate, error)) {
                return false;
            }
        }
        slots.push_back(std::move(slot));
    }
    SqlRows end;
    if (one(SqlQuery::LogEnd, {}, &end) != StoreStatus::Ok || end.empty() || end[0].empty()) {
        error = "la base ne donne pas son journal des classements";
        return false;
    }
    boards.startAt(sqlNumber(end[0][0]));
    keptBoards.insert(boardsKept.begin(), boardsKept.end());
    for (const std::string& fingerprint : boardsKept) {
        if (!ensureBoard(fingerprint)) {
            error = "la base ne donne pas le classement " + fingerprint;
            return false;
        }
    }
    follower = std::thread([this] { follow(); });
    return true;
}

// First come, first served: a mutex wakes whoever it likes, and under load a
// request that needs a connection three times would wait behind others that
// came later, for hundreds of milliseconds.
Store::Slot& Store::acquire() {
    std::unique_lock<std::mutex> lock(mutex);
    const uint64_t ticket = nextTicket++;
    for (;;) {
        if (ticket == servedTicket) {
            for (const std::unique_ptr<Slot>& slot : slots) {
                if (!slot->busy) {
                    slot->busy = true;
                    ++servedTicket;
                    lock.unlock();
                    freed.notify_all();  // the next ticket may find a free one too
                    return *slot;
                }
            }
        }
        freed.wait(lock);
    }
}

void Store::release(Slot& slot) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        slot.busy = false;
    }
    freed.notify_all();
}

StoreStatus Store::exec(Slot& slot, SqlQuery query, const std::vector<SqlParam>& params,
                        SqlRows* rows, int64_t* changes) {
    return slot.sqlite ? slot.sqlite->exec(query, params, rows, changes)
                       : slot.pg->exec(query, params, rows, changes);
}

namespace {

// The statements that write outside a transaction.
bool writes(SqlQuery query) {
    return query == SqlQuery::InsertPlayer || query == SqlQuery::CountAction ||
           query == SqlQuery::CountTwoActions || query == SqlQuery::InsertSecret ||
           query == SqlQuery::PruneLog || query == SqlQuery::PruneCounts;
}

}  // namespace

StoreStatus Store::one(SqlQuery query, const std::vector<SqlParam>& params, SqlRows* rows,
                       int64_t* changes) {
    Slot& slot = acquire();
    std::unique_lock<std::mutex> writing(sqliteWrites, std::defer_lock);
    if (slot.sqlite && writes(query)) {
        writing.lock();
    }
    const StoreStatus status = exec(slot, query, params, rows, changes);
    if (writing.owns_lock()) {
        writing.unlock();
    }
    release(slot);
    return status;
}

// SQLite writes one transaction at a time, and a connection that finds the
// file locked sleeps and tries again, in steps of up to 100 ms. This server's
// own writers wait their turn here instead, woken as soon as it comes.
bool Store::begin(Slot& slot) {
    if (!slot.sqlite) {
        return slot.pg->begin();
    }
    slot.writing = std::unique_lock<std::mutex>(sqliteWrites);
    if (!slot.sqlite->begin()) {
        slot.writing.unlock();
        return false;
    }
    return true;
}

bool Store::commit(Slot& slot) {
    if (!slot.sqlite) {
        return slot.pg->commit();
    }
    const bool done = slot.sqlite->commit();
    if (done && slot.writing.owns_lock()) {
        slot.writing.unlock();
    }
    return done;
}

void Store::rollback(Slot& slot) {
    if (!slot.sqlite) {
        slot.pg->rollback();
        return;
    }
    slot.sqlite->rollback();
    if (slot.writing.owns_lock()) {
        slot.writing.unlock();
    }
}

StoreStatus Store::addPlayer(const std::string& name, const std::string& nameKey,
                             const std::string& tokenHash, int64_t& id) {
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    SqlRows rows;
    const StoreStatus status = one(SqlQuery::InsertPlayer, {name, nameKey, tokenHash, now}, &rows);
    if (status == StoreStatus::Ok && rows.size() == 1 && !rows[0].empty()) {
        id = sqlNumber(rows[0][0]);
    }
    return status;
}

StoreStatus Store::playerByToken(const std::string& tokenHash, PlayerRow& player) {
    SqlRows rows;
    const StoreStatus status = one(SqlQuery::PlayerByToken, {tokenHash}, &rows);
    if (status != StoreStatus::Ok) {
        return status;
    }
    if (rows.empty() || rows[0].size() < 2) {
        return StoreStatus::NotFound;
    }
    player.id = sqlNumber(rows[0][0]);
    player.name = rows[0][1];
    return StoreStatus::Ok;
}

StoreStatus Store::deletePlayer(int64_t id) {
    Slot& slot = acquire();
    StoreStatus status = begin(slot) ? StoreStatus::Ok : StoreStatus::Failed;
    SqlRows bests;
    if (status == StoreStatus::Ok) {
        status = exec(slot, SqlQuery::BestsOfPlayer, {id}, &bests);
    }
    for (const std::vector<std::string>& row : bests) {
        if (status == StoreStatus::Ok && row.size() == 3) {
            BoardChange change;
            change.fingerprint = row[0];
            change.oldScore = number32(row[1]);
            change.oldRun = sqlNumber(row[2]);
            status = logChange(slot, change);
        }
    }
    for (const SqlQuery query :
         {SqlQuery::DeleteBest, SqlQuery::DeleteRuns, SqlQuery::DeletePlayer}) {
        if (status == StoreStatus::Ok) {
            status = exec(slot, query, {id}, nullptr);
        }
    }
    if (status == StoreStatus::Ok && !commit(slot)) {
        status = StoreStatus::Failed;
    }
    if (status != StoreStatus::Ok) {
        rollback(slot);
    }
    release(slot);
    if (status == StoreStatus::Ok) {
        followLog();  // the next answer of this server ranks without them
    }
    return status;
}

StoreStatus Store::keepRun(RunRow& run, bool& improved, int64_t& bestRun, int32_t& bestScore) {
    run.at = std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::system_clock::now().time_since_epoch())
                 .count();
    StoreStatus status = StoreStatus::Failed;
    // A player's submission can race another of theirs, on this server or
    // another: the loser of that race reads the winner's best on its next try.
    for (int attempt = 0; attempt < 3; ++attempt) {
        Slot& slot = acquire();
        status = keepRunOnce(slot, run, improved);
        release(slot);
        if (status != StoreStatus::Conflict) {
            break;
        }
    }
    if (status != StoreStatus::Ok) {
        improved = false;
        return status == StoreStatus::Conflict ? StoreStatus::Failed : status;
    }
    if (improved) {
        bestRun = run.id;
        bestScore = run.score;
        // In this server's order before it answers: the log is applied in
        // its order alone, so that a read of it that started before this
        // change cannot undo it afterwards.
        followLog();
        return StoreStatus::Ok;
    }
    run.id = 0;
    return bestOf(run.fingerprint, run.player, bestRun, bestScore);
}

StoreStatus Store::keepRunOnce(Slot& slot, RunRow& run, bool& improved) {
    improved = false;
    if (!begin(slot)) {
        return StoreStatus::Failed;
    }
    SqlRows old;
    SqlRows inserted;
    StoreStatus status = exec(slot, SqlQuery::BestOf, {run.fingerprint, run.player}, &old);
    const bool first = old.empty() || old[0].size() < 2;
    if (status == StoreStatus::Ok && !first && number32(old[0][1]) >= run.score) {
        rollback(slot);  // no better: nothing to keep
        return StoreStatus::Ok;
    }
    if (status == StoreStatus::Ok) {
        status = exec(slot, SqlQuery::InsertRun,
                      {run.player, int64_t{run.level}, run.fingerprint, int64_t{run.score},
                       int64_t{run.frames}, int64_t{run.timed ? 1 : 0}, run.at, run.replay},
                      &inserted);
    }
    if (status == StoreStatus::Ok && (inserted.size() != 1 || inserted[0].empty())) {
        status = StoreStatus::Failed;
    }
    int64_t changes = 0;
    if (status == StoreStatus::Ok) {
        run.id = sqlNumber(inserted[0][0]);
        status = first ? exec(slot, SqlQuery::InsertBest,
                              {run.fingerprint, run.player, run.id, int64_t{run.score}}, nullptr,
                              &changes)
                       : exec(slot, SqlQuery::RaiseBest,
                              {run.id, int64_t{run.score}, run.fingerprint, run.player,
                               sqlNumber(old[0][0])},
                              nullptr, &changes);
    }
    if (status == StoreStatus::Ok && changes != 1) {
        status = StoreStatus::Conflict;  // another submission changed the best meanwhile
    }
    BoardChange change;
    change.fingerprint = run.fingerprint;
    change.oldScore = first ? 0 : number32(old[0][1]);
    change.oldRun = first ? 0 : sqlNumber(old[0][0]);
    change.newScore = run.score;
    change.newRun = run.id;
    if (status == StoreStatus::Ok) {
        status = logChange(slot, change);
    }
    improved = status == StoreStatus::Ok;
    if (improved && !commit(slot)) {
        status = StoreStatus::Failed;
        improved = false;
    }
    if (!improved) {
        rollback(slot);
    }
    return status;
}

StoreStatus Store::bestOf(const std::string& fingerprint, int64_t player, int64_t& run,
                          int32_t& score) {
    SqlRows rows;
    const StoreStatus status = one(SqlQuery::BestOf, {fingerprint, player}, &rows);
    if (status != StoreStatus::Ok) {
        return status;
    }
    if (rows.empty() || rows[0].size() < 2) {
        return StoreStatus::NotFound;
    }
    run = sqlNumber(rows[0][0]);
    score = number32(rows[0][1]);
    return StoreStatus::Ok;
}

StoreStatus Store::rankOf(const std::string& fingerprint, int32_t score, int64_t run,
                          int64_t& rank) {
    if (!ensureBoard(fingerprint)) {
        return StoreStatus::Failed;
    }
    if (!boards.rankOf(fingerprint, score, run, rank)) {
        rank = 1;  // a board with no one on it yet
    }
    return StoreStatus::Ok;
}

StoreStatus Store::boardSize(const std::string& fingerprint, int64_t& total) {
    if (!ensureBoard(fingerprint)) {
        return StoreStatus::Failed;
    }
    if (!boards.size(fingerprint, total)) {
        total = 0;
    }
    return StoreStatus::Ok;
}

StoreStatus Store::board(const std::string& fingerprint, int64_t offset, int64_t limit,
                         std::vector<BoardEntry>& entries) {
    entries.clear();
    // The page starts at the entry of rank offset + 1, which memory finds:
    // a database skips an offset's entries one by one.
    int32_t score = BoardIndex::MaxScore + 1;
    int64_t run = 0;
    bool found = offset == 0;
    if (!ensureBoard(fingerprint)) {
        return StoreStatus::Failed;
    }
    if (offset > 0 && !boards.entryAt(fingerprint, offset + 1, found, score, run)) {
        found = false;  // a board with no one on it yet
    }
    if (!found) {
        return StoreStatus::Ok;
    }
    uint64_t version = 0;
    if (offset == 0 && boards.firstPage(fingerprint, limit, entries, version)) {
        return StoreStatus::Ok;
    }
    SqlRows rows;
    StoreStatus status = one(SqlQuery::BoardFrom, {fingerprint, int64_t{score}, run, limit}, &rows);
    if (status == StoreStatus::Ok) {
        status = appendEntries(rows, offset + 1, 1, entries);
    }
    if (status == StoreStatus::Ok && offset == 0 && version != 0) {
        boards.keepFirstPage(fingerprint, limit, version, entries);
    }
    return status;
}

StoreStatus Store::around(const std::string& fingerprint, int32_t score, int64_t run, int64_t rank,
                          int64_t reach, std::vector<BoardEntry>& entries) {
    SqlRows above;
    SqlRows from;
    StoreStatus status =
        one(SqlQuery::BoardAbove, {fingerprint, int64_t{score}, run, reach}, &above);
    if (status == StoreStatus::Ok) {
        status = one(SqlQuery::BoardFrom, {fingerprint, int64_t{score}, run, reach + 1}, &from);
    }
    entries.clear();
    if (status == StoreStatus::Ok) {
        status = appendEntries(above, rank - 1, -1, entries);
    }
    std::reverse(entries.begin(), entries.end());
    return status == StoreStatus::Ok ? appendEntries(from, rank, 1, entries) : status;
}

StoreStatus Store::appendEntries(const SqlRows& rows, int64_t firstRank, int64_t step,
                                 std::vector<BoardEntry>& entries) {
    int64_t rank = firstRank;
    for (const std::vector<std::string>& row : rows) {
        if (row.size() < 7) {
            return StoreStatus::Failed;
        }
        BoardEntry entry;
        entry.rank = rank;
        entry.player = sqlNumber(row[0]);
        entry.name = row[1];
        entry.score = number32(row[2]);
        entry.frames = number32(row[3]);
        entry.at = sqlNumber(row[4]);
        entry.run = sqlNumber(row[5]);
        entry.timed = sqlNumber(row[6]) != 0;
        entries.push_back(std::move(entry));
        rank += step;
    }
    return StoreStatus::Ok;
}

StoreStatus Store::sharedSecret(const std::string& name, const std::string& fresh,
                                std::string& secret) {
    SqlRows rows;
    StoreStatus status = one(SqlQuery::InsertSecret, {name, fresh}, nullptr);
    if (status == StoreStatus::Ok) {
        status = one(SqlQuery::SecretValue, {name}, &rows);
    }
    if (status == StoreStatus::Ok && (rows.empty() || rows[0].empty())) {
        status = StoreStatus::Failed;
    }
    if (status == StoreStatus::Ok) {
        secret = rows[0][0];
    }
    return status;
}

StoreStatus Store::runReplay(int64_t id, std::string& replay) {
    SqlRows rows;
    const StoreStatus status = one(SqlQuery::RunReplay, {id}, &rows);
    if (status != StoreStatus::Ok) {
        return status;
    }
    if (rows.empty() || rows[0].empty()) {
        return StoreStatus::NotFound;
    }
    replay = rows[0][0];
    return StoreStatus::Ok;
}
