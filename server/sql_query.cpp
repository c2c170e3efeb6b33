#include "sql_query.h"

#include <array>

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
        // Only a better score replaces a best; the row's lock keeps two
        // submissions of one player from racing.
        "UPDATE best SET run = $1, score = $2 WHERE fingerprint = $3 AND player = $4"
        " AND score < $2",
        "INSERT INTO board_sizes (fingerprint, players) VALUES ($1, 1)"
        " ON CONFLICT (fingerprint) DO UPDATE SET players = board_sizes.players + 1",
        "UPDATE board_sizes SET players = players - 1"
        " WHERE fingerprint IN (SELECT fingerprint FROM best WHERE player = $1)",
        "INSERT INTO board_scores (fingerprint, score, players) VALUES ($1, $2, 1)"
        " ON CONFLICT (fingerprint, score) DO UPDATE SET players = board_scores.players + 1",
        "UPDATE board_scores SET players = players - 1 WHERE fingerprint = $1 AND score = $2",
        "UPDATE board_scores SET players = players - 1"
        " WHERE (fingerprint, score) IN (SELECT fingerprint, score FROM best WHERE player = $1)",
        "SELECT run, score FROM best WHERE fingerprint = $1 AND player = $2",
        // The players at higher scores, and those at the same score who came first.
        "SELECT (SELECT coalesce(sum(players), 0) FROM board_scores WHERE fingerprint = $1"
        " AND score > $2) + (SELECT count(*) FROM best WHERE fingerprint = $1 AND score = $2"
        " AND run < $3)",
        "SELECT players FROM board_sizes WHERE fingerprint = $1",
        BOARD_ENTRY " WHERE b.fingerprint = $1 ORDER BY b.score DESC, b.run LIMIT $2 OFFSET $3",
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
