#include "sqlite_database.h"

#include "migrations.h"

SqliteDatabase::~SqliteDatabase() {
    for (sqlite3_stmt* statement : statements) {
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
}

bool SqliteDatabase::run(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message != nullptr ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool SqliteDatabase::open(const std::string& path, bool migrate, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = "impossible d'ouvrir " + path + " : " + sqlite3_errmsg(db);
        return false;
    }
    // Writers wait for each other rather than fail; FULL makes each commit
    // durable, so a run answered 200 survives a power cut as well as a kill.
    sqlite3_busy_timeout(db, 5000);
    if (!run("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;", error)) {
        return false;
    }
    if (migrate) {
        if (!run("BEGIN IMMEDIATE; CREATE TABLE IF NOT EXISTS schema_migrations"
                 " (version INTEGER PRIMARY KEY, applied_at INTEGER NOT NULL); COMMIT;",
                 error)) {
            return false;
        }
        for (const Migration& step : migrations()) {
            const std::string version = std::to_string(step.version);
            if (!run("BEGIN IMMEDIATE", error)) {
                return false;
            }
            sqlite3_stmt* check = nullptr;
            sqlite3_prepare_v2(db, "SELECT 1 FROM schema_migrations WHERE version = ?1", -1, &check,
                               nullptr);
            sqlite3_bind_int(check, 1, step.version);
            const bool done = sqlite3_step(check) == SQLITE_ROW;
            sqlite3_finalize(check);
            if (!done &&
                (!run(step.sqlite, error) || !run(("INSERT INTO schema_migrations VALUES (" +
                                                   version + ", strftime('%s','now'))")
                                                      .c_str(),
                                                  error))) {
                error = "migration " + version + " : " + error;
                run("ROLLBACK", error);
                return false;
            }
            if (!run("COMMIT", error)) {
                return false;
            }
        }
    }
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (sqlite3_prepare_v3(db, sqlText(static_cast<SqlQuery>(i)), -1, SQLITE_PREPARE_PERSISTENT,
                               &statements[i], nullptr) != SQLITE_OK) {
            error = std::string("requete ") + std::to_string(i) + " : " + sqlite3_errmsg(db);
            return false;
        }
    }
    return true;
}

StoreStatus SqliteDatabase::exec(SqlQuery query, const std::vector<SqlParam>& params, SqlRows* rows,
                                 int64_t* changes) {
    sqlite3_stmt* statement = statements[static_cast<std::size_t>(query)];
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        if (const int64_t* number = std::get_if<int64_t>(&params[i])) {
            sqlite3_bind_int64(statement, index, *number);
        } else {
            const std::string& text = std::get<std::string>(params[i]);
            sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
        }
    }
    int status = 0;
    while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
        if (rows != nullptr) {
            std::vector<std::string>& row = rows->emplace_back();
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                const unsigned char* text = sqlite3_column_text(statement, column);
                row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "",
                                 static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
            }
        }
    }
    sqlite3_reset(statement);
    if (status == SQLITE_CONSTRAINT) {
        return StoreStatus::Conflict;
    }
    if (status != SQLITE_DONE) {
        return StoreStatus::Failed;
    }
    if (changes != nullptr) {
        *changes = sqlite3_changes64(db);
    }
    return StoreStatus::Ok;
}

bool SqliteDatabase::begin() {
    std::string error;
    return run("BEGIN IMMEDIATE", error);
}

bool SqliteDatabase::commit() {
    std::string error;
    return run("COMMIT", error);
}

void SqliteDatabase::rollback() {
    std::string error;
    run("ROLLBACK", error);
}
