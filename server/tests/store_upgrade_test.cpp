#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>

#include "migrations.h"
#include "server_fixture.h"
#include "server_options.h"
#include "store.h"

using namespace server_test;

// A database made by an earlier release, its rows in it, brought up to date
// at a start: nothing is lost and the boards rank as before.
TEST(StoreUpgrade, KeepsTheRowsOfADatabaseFromAnEarlierSchema) {
    const char* configured = std::getenv("MOSSLANCE_TEST_DATABASE");
    if (configured != nullptr && isPostgresUrl(configured)) {
        GTEST_SKIP() << "the upgrade is shown on SQLite, whose file the test makes";
    }
    const std::string file = freshDatabase(dataTree() + "/upgrade.sqlite");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    std::string script =
        "CREATE TABLE schema_migrations (version INTEGER PRIMARY KEY, applied_at INTEGER NOT "
        "NULL);";
    for (const Migration& step : migrations()) {
        if (step.version <= 4) {
            script += step.sqlite;
            script +=
                "INSERT INTO schema_migrations VALUES (" + std::to_string(step.version) + ", 0);";
        }
    }
    // Three players, two of them at one score: the earlier run ranks first.
    script +=
        "INSERT INTO players VALUES (1, 'Ana', 'ana', 'h1', 0), (2, 'Béa', 'béa', 'h2', 0),"
        " (3, 'Cid', 'cid', 'h3', 0);"
        "INSERT INTO runs VALUES (10, 1, 0, 'f', 300, 2000, 1, 5, 'un'),"
        " (11, 2, 0, 'f', 500, 2000, 1, 6, 'deux'), (12, 3, 0, 'f', 500, 2000, 0, 7, 'trois');"
        "INSERT INTO best VALUES ('f', 1, 10, 300), ('f', 2, 11, 500), ('f', 3, 12, 500);"
        "INSERT INTO board_sizes VALUES ('f', 3);"
        "INSERT INTO board_scores VALUES ('f', 300, 1), ('f', 500, 2);";
    char* message = nullptr;
    ASSERT_EQ(sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message), SQLITE_OK) << message;
    sqlite3_close(db);

    Store store;
    std::string error;
    ASSERT_TRUE(store.open(file, 1, {"f"}, error)) << error;
    int64_t total = 0;
    ASSERT_EQ(store.boardSize("f", total), StoreStatus::Ok);
    EXPECT_EQ(total, 3);
    std::vector<BoardEntry> entries;
    ASSERT_EQ(store.board("f", 0, 10, entries), StoreStatus::Ok);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Béa");
    EXPECT_EQ(entries[1].name, "Cid");
    EXPECT_EQ(entries[2].name, "Ana");
    EXPECT_EQ(entries[2].rank, 3);
    ASSERT_EQ(store.board("f", 1, 10, entries), StoreStatus::Ok);  // a page past the first entry
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Cid");
    EXPECT_EQ(entries[0].rank, 2);
    std::string replay;
    ASSERT_EQ(store.runReplay(12, replay), StoreStatus::Ok);
    EXPECT_EQ(replay, "trois");

    // The upgraded board goes on: Ana's better run passes both.
    RunRow better;
    better.player = 1;
    better.fingerprint = "f";
    better.score = 600;
    better.frames = 2100;
    better.replay = "quatre";
    bool improved = false;
    int64_t bestRun = 0;
    int32_t bestScore = 0;
    ASSERT_EQ(store.keepRun(better, improved, bestRun, bestScore), StoreStatus::Ok);
    EXPECT_TRUE(improved);
    int64_t rank = 0;
    ASSERT_EQ(store.rankOf("f", bestScore, bestRun, rank), StoreStatus::Ok);
    EXPECT_EQ(rank, 1);
    ASSERT_EQ(store.boardSize("f", total), StoreStatus::Ok);
    EXPECT_EQ(total, 3);
}
