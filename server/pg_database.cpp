#include "pg_database.h"

#include <cstring>

#include "migrations.h"

namespace {

// Whatever this server runs on, the schema's steps are taken by one process
// at a time: the key is an arbitrary number of this program's own.
constexpr const char* MigrationLock = "SELECT pg_advisory_xact_lock(4242017)";
constexpr const char* UniqueViolation = "23505";

}  // namespace

PgDatabase::~PgDatabase() {
    PQfinish(connection);
}

bool PgDatabase::run(const std::string& sql, std::string& error) {
    PGresult* result = PQexec(connection, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    const bool good = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!good) {
        error = PQerrorMessage(connection);
    }
    PQclear(result);
    return good;
}

bool PgDatabase::prepare(std::string& error) {
    for (int i = 0; i < static_cast<int>(SqlQuery::Count); ++i) {
        const std::string name = "q" + std::to_string(i);
        PGresult* result =
            PQprepare(connection, name.c_str(), sqlText(static_cast<SqlQuery>(i)), 0, nullptr);
        const bool good = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        if (!good) {
            error = "requete " + name + " : " + PQerrorMessage(connection);
            return false;
        }
    }
    return true;
}

bool PgDatabase::open(const std::string& databaseUrl, bool migrate, std::string& error) {
    url = databaseUrl;
    connection = PQconnectdb(url.c_str());
    if (PQstatus(connection) != CONNECTION_OK) {
        // The message names the host and the user, never the password.
        error = std::string("connexion a PostgreSQL impossible : ") + PQerrorMessage(connection);
        return false;
    }
    run("SET client_min_messages = warning", error);
    if (migrate) {
        if (!run("BEGIN", error) || !run(MigrationLock, error) ||
            !run("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY,"
                 " applied_at BIGINT NOT NULL)",
                 error)) {
            return false;
        }
        for (const Migration& step : migrations()) {
            const std::string version = std::to_string(step.version);
            PGresult* check = PQexec(
                connection, ("SELECT 1 FROM schema_migrations WHERE version = " + version).c_str());
            const bool done = PQresultStatus(check) == PGRES_TUPLES_OK && PQntuples(check) > 0;
            PQclear(check);
            if (!done && (!run(step.postgres, error) ||
                          !run("INSERT INTO schema_migrations VALUES (" + version +
                                   ", extract(epoch FROM now())::bigint)",
                               error))) {
                error = "migration " + version + " : " + error;
                std::string ignored;
                run("ROLLBACK", ignored);
                return false;
            }
        }
        if (!run("COMMIT", error)) {
            return false;
        }
    }
    return prepare(error);
}

bool PgDatabase::reconnect() {
    PQreset(connection);
    std::string error;
    return PQstatus(connection) == CONNECTION_OK && prepare(error);
}

StoreStatus PgDatabase::exec(SqlQuery query, const std::vector<SqlParam>& params, SqlRows* rows,
                             int64_t* changes) {
    std::vector<std::string> texts;
    texts.reserve(params.size());
    for (const SqlParam& param : params) {
        if (const int64_t* number = std::get_if<int64_t>(&param)) {
            texts.push_back(std::to_string(*number));
        } else {
            texts.push_back(std::get<std::string>(param));
        }
    }
    std::vector<const char*> values;
    for (const std::string& text : texts) {
        values.push_back(text.c_str());
    }
    const std::string name = "q" + std::to_string(static_cast<int>(query));
    PGresult* result = PQexecPrepared(connection, name.c_str(), static_cast<int>(values.size()),
                                      values.data(), nullptr, nullptr, 0);
    ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_FATAL_ERROR && PQstatus(connection) == CONNECTION_BAD) {
        // A dropped connection is tried again once; nothing was done on it.
        PQclear(result);
        if (!reconnect()) {
            return StoreStatus::Failed;
        }
        result = PQexecPrepared(connection, name.c_str(), static_cast<int>(values.size()),
                                values.data(), nullptr, nullptr, 0);
        status = PQresultStatus(result);
    }
    StoreStatus outcome = StoreStatus::Ok;
    if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
        if (rows != nullptr) {
            for (int row = 0; row < PQntuples(result); ++row) {
                std::vector<std::string>& cells = rows->emplace_back();
                for (int column = 0; column < PQnfields(result); ++column) {
                    cells.emplace_back(PQgetvalue(result, row, column),
                                       static_cast<std::size_t>(PQgetlength(result, row, column)));
                }
            }
        }
        if (changes != nullptr) {
            const char* count = PQcmdTuples(result);
            *changes = count != nullptr && *count != '\0' ? std::strtoll(count, nullptr, 10) : 0;
        }
    } else {
        const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        outcome = state != nullptr && std::strcmp(state, UniqueViolation) == 0
                      ? StoreStatus::Conflict
                      : StoreStatus::Failed;
    }
    PQclear(result);
    return outcome;
}

bool PgDatabase::begin() {
    std::string error;
    if (PQstatus(connection) == CONNECTION_BAD && !reconnect()) {
        return false;
    }
    return run("BEGIN", error);
}

bool PgDatabase::commit() {
    std::string error;
    return run("COMMIT", error);
}

void PgDatabase::rollback() {
    std::string error;
    run("ROLLBACK", error);
}
