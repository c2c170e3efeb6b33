#include "sql_query.h"

#include <array>
#include <charconv>

// An entry of a board, as every listing gives it.
#define BOARD_ENTRY                                                               \
    "SELECT b.player, p.name, r.score, r.frames, r.at, r.id, r.timed FROM best b" \
    " JOIN players p ON p.id = b.player JOIN runs r ON r.id = b.run"

const char* sqlText(SqlQuery query) {
    static const std::array<const char*, static_cast<std::size_t>(SqlQuery::Count)> texts = {
        "INSERT INTO players (name, name_key, token_hash, created_at) VALUES ($1, $2, $3, $4)"
        " RETURNING id",
        "SELECT id, name FROM players WHERE token_hash = $1",
        "DELETE FROM best WHERE player = $1",
        "DELETE FROM runs WHERE player = $1",
        "DELETE FROM players WHERE id = $1",
        "INSERT INTO runs (player, level, fingerprint, score, frames, timed, at, replay)"
        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8) RETURNING id",
        "INSERT INTO best (fingerprint, player, run, score) VALUES ($1, $2, $3, $4)",
        // Only a better score replaces a best, and only the best that was
        // read: a submission that raced another of the same player's changes
        // nothing and reads again, so the log names the entry that left.
        "UPDATE best SET run = $1, score = $2 WHERE fingerprint = $3 AND player = $4"
        " AND run = $5 AND score < $2",
        "SELECT fingerprint, score, run FROM best WHERE player = $1",
        "INSERT INTO board_log (fingerprint, old_score, old_run, new_score, new_run, at)"
        " VALUES ($1, $2, $3, $4, $5, $6)",
        "SELECT coalesce(max(id), 0) FROM board_log",
        "SELECT id, fingerprint, old_score, old_run, new_score, new_run FROM board_log"
        " WHERE id > $1 ORDER BY id LIMIT $2",
        "DELETE FROM board_log WHERE at < $1",
        "INSERT INTO rate_counts (key, minute, count) VALUES ($1, $2, 1) ON CONFLICT (key, minute)"
        " DO UPDATE SET count = rate_counts.count + 1 RETURNING count",
        "INSERT INTO rate_counts (key, minute, count) VALUES ($1, $2, 1), ($3, $2, 1)"
        " ON CONFLICT (key, minute) DO UPDATE SET count = rate_counts.count + 1 RETURNING count",
        "DELETE FROM rate_counts WHERE minute < $1",
        // A board in board order, a page at a time from after a (score, run).
        // "score <= $2" bounds the index's range, so each page starts where
        // the last one ended instead of skipping the pages before it.
        "SELECT score, run FROM best WHERE fingerprint = $1"
        " AND score <= $2 AND (score < $2 OR run > $3) ORDER BY score DESC, run LIMIT $4",
        "SELECT run, score FROM best WHERE fingerprint = $1 AND player = $2",
        // The entries just ahead of a (score, run), nearest first, and those
        // from it on: a page around a player, whatever their rank.
        BOARD_ENTRY
        " WHERE b.fingerprint = $1 AND b.score >= $2 AND (b.score > $2 OR b.run < $3)"
        " ORDER BY b.score, b.run DESC LIMIT $4",
        BOARD_ENTRY
        " WHERE b.fingerprint = $1 AND b.score <= $2 AND (b.score < $2 OR b.run >= $3)"
        " ORDER BY b.score DESC, b.run LIMIT $4",
        "SELECT replay FROM runs WHERE id = $1",
        "INSERT INTO server_secrets (name, value) VALUES ($1, $2) ON CONFLICT (name) DO NOTHING",
        "SELECT value FROM server_secrets WHERE name = $1",
    };
    return texts[static_cast<std::size_t>(query)];
}

int64_t sqlNumber(const std::string& text) {
    int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}
