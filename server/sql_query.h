#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Every statement the store runs, prepared once per connection. The texts
// suit both databases: SQLite numbers "$N" parameters in the order they first
// appear, so each text names them in that order.
enum class SqlQuery {
    InsertPlayer,
    PlayerByToken,
    DeleteBest,
    DeleteRuns,
    DeletePlayer,
    InsertRun,
    InsertBest,
    RaiseBest,
    BestsOfPlayer,
    LogChange,
    LogEnd,
    LogSince,
    PruneLog,
    CountAction,
    CountTwoActions,
    PruneCounts,
    BoardPage,
    BestOf,
    BoardAbove,
    BoardFrom,
    RunReplay,
    InsertSecret,
    SecretValue,
    Count
};

using SqlParam = std::variant<int64_t, std::string>;
using SqlRows = std::vector<std::vector<std::string>>;

const char* sqlText(SqlQuery query);

// A column's text as a number: 0 when it is none.
int64_t sqlNumber(const std::string& text);
