// Runs: what the game recorded is re-played and ranked, anything edited or
// forged is refused, and a kept run can be downloaded and deleted.

#include <string>

#include "server_fixture.h"
#include "util/fingerprint.h"

using namespace server_test;

namespace {

// The text with the value of its line `keyword` replaced.
std::string withLine(const std::string& text, const std::string& keyword,
                     const std::string& value) {
    const std::size_t start = text.find(keyword + " ");
    const std::size_t end = text.find('\n', start);
    return text.substr(0, start) + keyword + " " + value + text.substr(end);
}

// The header of a run over no keys at all.
std::string withoutKeys(const std::string& text) {
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start + 1);
        if (line.rfind("appui", 0) != 0 && line.rfind("relache", 0) != 0) {
            kept += line;
        }
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return kept;
}

int64_t lineValue(const std::string& text, const std::string& keyword) {
    const std::size_t start = text.find(keyword + " ") + keyword.size() + 1;
    return std::stoll(text.substr(start, text.find('\n', start) - start));
}

}  // namespace

TEST_F(ServerTest, ARunTheGameRecordedIsReplayedRankedAndDownloadable) {
    const Player ana = newPlayer("Ana");
    const std::string& run = gameRun(0);
    const Answer kept = submit(ana, 0, run);
    ASSERT_EQ(kept.status, 200) << kept.text;
    EXPECT_EQ(kept.body["score"], lineValue(run, "score"));
    EXPECT_EQ(kept.body["best"], lineValue(run, "score"));
    EXPECT_EQ(kept.body["rank"], 1);
    EXPECT_EQ(kept.body["improved"], true);

    const Answer level = get("/api/v1/levels/0");
    ASSERT_EQ(level.status, 200);
    EXPECT_EQ(level.body["fingerprint"], fingerprintText(catalog.level(0)->fingerprint));
    EXPECT_EQ(level.body["players"], 1);
    ASSERT_EQ(level.body["top"].size(), 1u);
    EXPECT_EQ(level.body["top"][0]["name"], "Ana");
    EXPECT_EQ(level.body["top"][0]["run"], kept.body["run"]);
    EXPECT_EQ(level.body["top"][0]["frames"], lineValue(run, "images"));
    EXPECT_EQ(level.body["top"][0]["timed"], false);  // sent without a ticket

    const Answer download = get("/api/v1/runs/" + kept.body["run"].dump());
    EXPECT_EQ(download.status, 200);
    EXPECT_EQ(download.text, run);

    // The same run again is no improvement, and keeps the first one.
    const Answer again = submit(ana, 0, run);
    ASSERT_EQ(again.status, 200) << again.text;
    EXPECT_EQ(again.body["improved"], false);
    EXPECT_EQ(again.body["run"], kept.body["run"]);
}

TEST_F(ServerTest, EditedAndForgedRunsAreRefusedAndChangeNothing) {
    const Player ana = newPlayer("Ana");
    const std::string& run = gameRun(0);
    const int64_t score = lineValue(run, "score");
    const int64_t frames = lineValue(run, "images");
    const struct {
        const char* what;
        std::string replay;
        int level;
        int status;
        const char* says;
    } cases[] = {
        {"score edited", withLine(run, "score", std::to_string(score + 50)), 0, 422, "score"},
        {"frame edited", withLine(run, "images", std::to_string(frames - 1)), 0, 422, "tombe"},
        {"played on an edited level", gameRun(1), 0, 409, "niveau 0"},
        {"fingerprint changed", withLine(run, "niveau", "0123456789abcdef"), 0, 409,
         "0123456789abcdef"},
        {"its header over no keys", withoutKeys(run), 0, 422, "rejoué"},
        {"not a replay", "score 100000\n", 0, 400, "replay"},
        {"a level the server has not", run, 7, 404, "niveau"},
    };
    for (const auto& c : cases) {
        const Answer answer = submit(ana, c.level, c.replay);
        EXPECT_EQ(answer.status, c.status) << c.what << ": " << answer.text;
        EXPECT_NE(answer.body["error"].get<std::string>().find(c.says), std::string::npos)
            << c.what << ": " << answer.text;
    }
    EXPECT_EQ(get("/api/v1/levels/0").body["players"], 0);
}

TEST_F(ServerTest, OnlyABetterRunReplacesAPlayersBest) {
    const Player ana = newPlayer("Ana");
    const std::string low = madeRun(0, {});  // runs on without a jump: misses the high bonus
    const std::string& high = gameRun(0);
    ASSERT_LT(lineValue(low, "score"), lineValue(high, "score"));
    const Answer first = submit(ana, 0, low);
    const Answer better = submit(ana, 0, high);
    const Answer worse = submit(ana, 0, low);
    ASSERT_EQ(first.status, 200) << first.text;
    EXPECT_EQ(better.body["improved"], true);
    EXPECT_EQ(better.body["best"], lineValue(high, "score"));
    EXPECT_EQ(worse.body["improved"], false);
    EXPECT_EQ(worse.body["score"], lineValue(low, "score"));
    EXPECT_EQ(worse.body["best"], lineValue(high, "score"));
    EXPECT_EQ(worse.body["run"], better.body["run"]);
    EXPECT_EQ(get("/api/v1/levels/0").body["players"], 1);

    // The raised best left its old score: a player below that old score is second.
    std::string lower;
    for (int press = 1; press < 300 && lower.empty(); press += 3) {
        const std::string run = madeRun(0, {{press, true}, {press + 9, false}});
        if (lineValue(run, "score") < lineValue(low, "score")) {
            lower = run;
        }
    }
    ASSERT_FALSE(lower.empty());
    EXPECT_EQ(submit(newPlayer("Béa"), 0, lower).body["rank"], 2);
}

TEST_F(ServerTest, DeletingAPlayerRemovesTheNameTheRunsAndTheToken) {
    const Player ana = newPlayer("Ana");
    const Player bea = newPlayer("Béa");
    const Answer kept = submit(ana, 0, gameRun(0));
    ASSERT_EQ(submit(bea, 0, madeRun(0, {})).status, 200);
    ASSERT_EQ(call("DELETE", "/api/v1/players/me", "", ana.token).status, 200);

    EXPECT_EQ(get("/api/v1/runs/" + kept.body["run"].dump()).status, 404);
    const Answer level = get("/api/v1/levels/0");
    EXPECT_EQ(level.body["players"], 1);
    EXPECT_EQ(level.body["top"][0]["name"], "Béa");
    EXPECT_EQ(level.body["top"][0]["rank"], 1);
    EXPECT_EQ(get("/api/v1/levels/0/around/" + std::to_string(bea.id)).body["rank"], 1);
    EXPECT_EQ(submit(ana, 0, gameRun(0)).status, 401);
    EXPECT_EQ(call("DELETE", "/api/v1/players/me", "", ana.token).status, 401);
    newPlayer("ana");  // the name is free again
}
