#include "sql_query.h"

#include <array>

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
        // Only a better score replaces a best; the row lock of the conflict
        // keeps two submissions of one player from racing.
        "INSERT INTO best (fingerprint, player, run, score) VALUES ($1, $2, $3, $4)"
        " ON CONFLICT (fingerprint, player) DO UPDATE SET run = excluded.run,"
        " score = excluded.score WHERE excluded.score > best.score",
        "SELECT run, score FROM best WHERE fingerprint = $1 AND player = $2",
        "SELECT count(*) FROM best WHERE fingerprint = $1 AND"
        " (score > $2 OR (score = $2 AND run < $3))",
        "SELECT count(*) FROM best WHERE fingerprint = $1",
        "SELECT b.player, p.name, r.score, r.frames, r.at, r.id, r.timed FROM best b"
        " JOIN players p ON p.id = b.player JOIN runs r ON r.id = b.run"
        " WHERE b.fingerprint = $1 ORDER BY b.score DESC, b.run LIMIT $2 OFFSET $3",
        "SELECT replay FROM runs WHERE id = $1",
        "INSERT INTO server_secrets (name, value) VALUES ($1, $2) ON CONFLICT (name) DO NOTHING",
        "SELECT value FROM server_secrets WHERE name = $1",
    };
    return texts[static_cast<std::size_t>(query)];
}
