#pragma once

#include <sqlite3.h>

#include <array>
#include <string>
#include <vector>

#include "sql_query.h"
#include "store_rows.h"

// One connection to a SQLite file in WAL mode, with every statement
// prepared. Not shared between threads: the store leases it to one at a time.
class SqliteDatabase {
  public:
    SqliteDatabase() = default;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;
    ~SqliteDatabase();

    // Opens (creating) the file; with `migrate`, brings its schema up to date.
    bool open(const std::string& path, bool migrate, std::string& error);

    // Runs a prepared statement. `rows` (when not null) gets every result row
    // as text, `changes` the rows changed. A unique key broken is Conflict.
    StoreStatus exec(SqlQuery query, const std::vector<SqlParam>& params, SqlRows* rows,
                     int64_t* changes);
    bool begin();  // a write transaction, taken at once
    bool commit();
    void rollback();

  private:
    bool run(const char* sql, std::string& error);
    sqlite3* db = nullptr;
    std::array<sqlite3_stmt*, static_cast<std::size_t>(SqlQuery::Count)> statements{};
};
