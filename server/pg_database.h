#pragma once

#include <libpq-fe.h>

#include <string>
#include <vector>

#include "sql_query.h"
#include "store_rows.h"

// One connection to a PostgreSQL server, with every statement prepared. Not
// shared between threads: the store leases it to one at a time.
class PgDatabase {
  public:
    PgDatabase() = default;
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;
    ~PgDatabase();

    // Connects; with `migrate`, brings the schema up to date (under a lock,
    // so that servers starting together migrate once).
    bool open(const std::string& url, bool migrate, std::string& error);

    StoreStatus exec(SqlQuery query, const std::vector<SqlParam>& params, SqlRows* rows,
                     int64_t* changes);
    bool begin();
    bool commit();
    void rollback();

  private:
    bool run(const std::string& sql, std::string& error);
    bool reconnect();
    bool prepare(std::string& error);
    PGconn* connection = nullptr;
    std::string url;
};
