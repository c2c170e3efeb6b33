#pragma once

#include <vector>

// The schema, one numbered step at a time; a database records the steps it
// has had in schema_migrations and gets the missing ones at start. A step,
// once released, is never changed: a new one is added after it.
struct Migration {
    int version;
    const char* sqlite;
    const char* postgres;
};

const std::vector<Migration>& migrations();
