// Boards: higher scores first, equal ones by who got there first; pages,
// the view around a player at either end, and a board per level version.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "server_fixture.h"

using namespace server_test;

namespace {

std::vector<std::string> names(const json& entries) {
    std::vector<std::string> list;
    for (const json& entry : entries) {
        list.push_back(entry["name"].get<std::string>());
    }
    return list;
}

std::vector<int64_t> ranks(const json& entries) {
    std::vector<int64_t> list;
    for (const json& entry : entries) {
        list.push_back(entry["rank"].get<int64_t>());
    }
    return list;
}

}  // namespace

TEST_F(ServerTest, HigherScoresRankFirstAndEqualOnesByWhoCameFirst) {
    const std::string low = madeRun(0, {});
    const std::string& high = gameRun(0);
    const Player first = newPlayer("Premier");
    const Player second = newPlayer("Second");
    const Player third = newPlayer("Troisième");
    EXPECT_EQ(submit(first, 0, low).body["rank"], 1);
    EXPECT_EQ(submit(second, 0, high).body["rank"], 1);
    // The same score as the first, later: behind it.
    EXPECT_EQ(submit(third, 0, low).body["rank"], 3);

    const Answer top = get("/api/v1/levels/0/top?offset=0&limit=10");
    ASSERT_EQ(top.status, 200) << top.text;
    EXPECT_EQ(names(top.body["entries"]),
              (std::vector<std::string>{"Second", "Premier", "Troisième"}));
    EXPECT_EQ(ranks(top.body["entries"]), (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(top.body["total"], 3);
    const Answer page = get("/api/v1/levels/0/top?offset=1&limit=1");
    EXPECT_EQ(names(page.body["entries"]), (std::vector<std::string>{"Premier"}));
    EXPECT_EQ(ranks(page.body["entries"]), (std::vector<int64_t>{2}));
    // Another level's board is another board.
    EXPECT_EQ(get("/api/v1/levels/1").body["players"], 0);
}

TEST_F(ServerTest, AroundAPlayerShowsFiveAboveAndBelowWithinTheBoard) {
    const std::string run = madeRun(0, {});
    std::vector<Player> players;
    for (int i = 1; i <= 14; ++i) {
        address = "192.0.2." + std::to_string(i);  // more names than one address may make
        players.push_back(newPlayer("Joueur " + std::to_string(i)));
        ASSERT_EQ(submit(players.back(), 0, run).status, 200);
    }
    const struct {
        int player;  // 1 to 14, also the rank: equal scores, in turn
        int64_t firstRank;
        int64_t lastRank;
    } cases[] = {{1, 1, 6}, {3, 1, 8}, {8, 3, 13}, {14, 9, 14}};
    for (const auto& c : cases) {
        const Answer around =
            get("/api/v1/levels/0/around/" + std::to_string(players[c.player - 1].id));
        ASSERT_EQ(around.status, 200) << around.text;
        EXPECT_EQ(around.body["rank"], c.player);
        EXPECT_EQ(around.body["total"], 14);
        const std::vector<int64_t> shown = ranks(around.body["entries"]);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), c.firstRank) << "player " << c.player;
        EXPECT_EQ(shown.back(), c.lastRank) << "player " << c.player;
        EXPECT_EQ(shown.size(), static_cast<std::size_t>(c.lastRank - c.firstRank + 1));
    }
    EXPECT_EQ(get("/api/v1/levels/1/around/" + std::to_string(players[0].id)).status, 404);
}

// A release that changes a level starts its board afresh; the old board
// stays readable by its fingerprint.
TEST_F(ServerTest, AChangedLevelStartsANewBoardAndTheOldOneStaysReadable) {
    const Player ana = newPlayer("Ana");
    ASSERT_EQ(submit(ana, 0, gameRun(0)).status, 200);
    const std::string old = get("/api/v1/levels/0").body["fingerprint"];

    const std::filesystem::path release = dataTree() + "/release";
    std::filesystem::create_directories(release / "Story");
    std::filesystem::create_directories(release / "Niveaux");
    std::ofstream(release / "Story/game.story") << "0 Niveaux/test-0.lvl\n";
    std::filesystem::copy_file(dataTree() + "/Niveaux/test-1.lvl", release / "Niveaux/test-0.lvl",
                               std::filesystem::copy_options::overwrite_existing);
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(catalog.load(release.string(), error, warnings)) << error;

    const Answer now = get("/api/v1/levels/0");
    EXPECT_NE(now.body["fingerprint"], old);
    EXPECT_EQ(now.body["players"], 0);
    const Answer before = get("/api/v1/levels/0?fingerprint=" + old);
    EXPECT_EQ(before.body["players"], 1);
    EXPECT_EQ(names(before.body["top"]), (std::vector<std::string>{"Ana"}));
    // The old version's run is no longer accepted on level 0.
    EXPECT_EQ(submit(ana, 0, gameRun(0)).status, 409);
}
