#pragma once

// A leaderboard on a real store, over a small data tree of two levels, and
// runs for it: the ones the game itself records while it is played, and
// others made by re-playing chosen keys with the game's rules.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "api_routes.h"
#include "level_catalog.h"
#include "screens/replay_file.h"
#include "store.h"

namespace server_test {

using nlohmann::json;

struct Answer {
    int status = 0;
    json body;         // null when the body is not JSON
    std::string text;  // the body as sent
};

struct Player {
    int64_t id = 0;
    std::string token;
};

// The data tree's folder, made once for the test program: Story/game.story,
// Niveaux/test-0.lvl and test-1.lvl, and the runs the game recorded on them
// (Save/replay-0.rpl and replay-1.rpl). A temporary folder, or the folder
// MOSSLANCE_TEST_TREE names, which is then kept.
const std::string& dataTree();
// The text of the run the game recorded while level `level` was played.
const std::string& gameRun(int level);

// The database the tests use: MOSSLANCE_TEST_DATABASE when it names a
// PostgreSQL server (emptied for each test), else a fresh SQLite file.
std::string freshDatabase(const std::string& sqliteFile);

class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override;

    Answer call(const std::string& method, const std::string& path, const std::string& body = "",
                const std::string& token = "");
    Answer post(const std::string& path, const json& body, const std::string& token = "") {
        return call("POST", path, body.dump(), token);
    }
    Answer get(const std::string& path) { return call("GET", path); }
    Player newPlayer(const std::string& name);
    Answer submit(const Player& player, int level, const std::string& replay) {
        return post("/api/v1/runs", json{{"level", level}, {"replay", replay}}, player.token);
    }
    // A run of level `level` whose keys are `events`, its score and frame
    // found by re-playing them as the server will.
    std::string madeRun(int level, const std::vector<ReplayEvent>& events);

    int64_t now = 1800000000000;  // the routes' clock, in milliseconds
    std::string address = "192.0.2.1";
    LevelCatalog catalog;
    Store store;
    std::unique_ptr<ApiRoutes> routes;
};

}  // namespace server_test
