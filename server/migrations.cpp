#include "migrations.h"

// Boards are ordered by score, then by the run's id: ids grow with time, so an
// equal score ranks by who got there first.
const std::vector<Migration>& migrations() {
    static const std::vector<Migration> steps = {
        {1,
         "CREATE TABLE players (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
         " name_key TEXT NOT NULL UNIQUE, token_hash TEXT NOT NULL UNIQUE,"
         " created_at INTEGER NOT NULL);"
         "CREATE TABLE runs (id INTEGER PRIMARY KEY, player INTEGER NOT NULL,"
         " level INTEGER NOT NULL, fingerprint TEXT NOT NULL, score INTEGER NOT NULL,"
         " frames INTEGER NOT NULL, timed INTEGER NOT NULL, at INTEGER NOT NULL,"
         " replay TEXT NOT NULL);"
         "CREATE INDEX runs_player ON runs (player);"
         "CREATE TABLE best (fingerprint TEXT NOT NULL, player INTEGER NOT NULL,"
         " run INTEGER NOT NULL, score INTEGER NOT NULL, PRIMARY KEY (fingerprint, player));"
         "CREATE INDEX best_rank ON best (fingerprint, score DESC, run);"
         "CREATE INDEX best_player ON best (player);",
         "CREATE TABLE players (id BIGSERIAL PRIMARY KEY, name TEXT NOT NULL,"
         " name_key TEXT NOT NULL UNIQUE, token_hash TEXT NOT NULL UNIQUE,"
         " created_at BIGINT NOT NULL);"
         "CREATE TABLE runs (id BIGSERIAL PRIMARY KEY, player BIGINT NOT NULL,"
         " level INTEGER NOT NULL, fingerprint TEXT NOT NULL, score INTEGER NOT NULL,"
         " frames INTEGER NOT NULL, timed INTEGER NOT NULL, at BIGINT NOT NULL,"
         " replay TEXT NOT NULL);"
         "CREATE INDEX runs_player ON runs (player);"
         "CREATE TABLE best (fingerprint TEXT NOT NULL, player BIGINT NOT NULL,"
         " run BIGINT NOT NULL, score INTEGER NOT NULL, PRIMARY KEY (fingerprint, player));"
         "CREATE INDEX best_rank ON best (fingerprint, score DESC, run);"
         "CREATE INDEX best_player ON best (player);"},
        // The key that signs attempt tickets, shared by every server on the database.
        {2, "CREATE TABLE server_secrets (name TEXT PRIMARY KEY, value TEXT NOT NULL);",
         "CREATE TABLE server_secrets (name TEXT PRIMARY KEY, value TEXT NOT NULL);"},
        // Each board's size, kept with every change: counting a board of a
        // million players took longer than the rest of a request.
        {3,
         "CREATE TABLE board_sizes (fingerprint TEXT PRIMARY KEY, players INTEGER NOT NULL);"
         "INSERT INTO board_sizes SELECT fingerprint, count(*) FROM best GROUP BY fingerprint;",
         "CREATE TABLE board_sizes (fingerprint TEXT PRIMARY KEY, players BIGINT NOT NULL);"
         "INSERT INTO board_sizes SELECT fingerprint, count(*) FROM best GROUP BY fingerprint;"},
        // How many players stand at each score of a board: a rank adds up the
        // scores above instead of counting every player above.
        {4,
         "CREATE TABLE board_scores (fingerprint TEXT NOT NULL, score INTEGER NOT NULL,"
         " players INTEGER NOT NULL, PRIMARY KEY (fingerprint, score));"
         "INSERT INTO board_scores SELECT fingerprint, score, count(*) FROM best"
         " GROUP BY fingerprint, score;",
         "CREATE TABLE board_scores (fingerprint TEXT NOT NULL, score INTEGER NOT NULL,"
         " players BIGINT NOT NULL, PRIMARY KEY (fingerprint, score));"
         "INSERT INTO board_scores SELECT fingerprint, score, count(*) FROM best"
         " GROUP BY fingerprint, score;"},
        // Every change of a board, in order: each server keeps its boards'
        // order in memory and reads the others' changes here. Sizes and
        // per-score counts are then the memory's to give. SQLite's
        // AUTOINCREMENT never gives a number twice, even once the log is pruned.
        // And what each token and address did in each minute, so that every
        // server on the database counts against one limit.
        {5,
         "CREATE TABLE board_log (id INTEGER PRIMARY KEY AUTOINCREMENT,"
         " fingerprint TEXT NOT NULL, old_score INTEGER NOT NULL, old_run INTEGER NOT NULL,"
         " new_score INTEGER NOT NULL, new_run INTEGER NOT NULL, at INTEGER NOT NULL);"
         "CREATE INDEX board_log_at ON board_log (at);"
         "DROP TABLE board_scores; DROP TABLE board_sizes;"
         "CREATE TABLE rate_counts (key TEXT NOT NULL, minute INTEGER NOT NULL,"
         " count INTEGER NOT NULL, PRIMARY KEY (key, minute));",
         "CREATE TABLE board_log (id BIGSERIAL PRIMARY KEY,"
         " fingerprint TEXT NOT NULL, old_score INTEGER NOT NULL, old_run BIGINT NOT NULL,"
         " new_score INTEGER NOT NULL, new_run BIGINT NOT NULL, at BIGINT NOT NULL);"
         "CREATE INDEX board_log_at ON board_log (at);"
         "DROP TABLE board_scores; DROP TABLE board_sizes;"
         "CREATE TABLE rate_counts (key TEXT NOT NULL, minute BIGINT NOT NULL,"
         " count INTEGER NOT NULL, PRIMARY KEY (key, minute));"},
    };
    return steps;
}
