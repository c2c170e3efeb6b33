// What the API refuses, and that a refusal changes nothing: names, bodies,
// numbers and tokens a client should never send.

#include <string>

#include "net/player_name.h"
#include "server_fixture.h"

using namespace server_test;

TEST(PlayerName, KeepsLettersDigitsAndFoldsCase) {
    const struct {
        std::string raw;
        bool good;
        const char* name;
        const char* key;
    } cases[] = {
        {"  Élodie  ", true, "Élodie", "élodie"},
        {"Zoé_Ÿ-ĀĂ 9", true, "Zoé_Ÿ-ĀĂ 9", "zoé_ÿ-āă 9"},
        {"abc", true, "abc", "abc"},
        {"abcdefghijklmnop", true, "abcdefghijklmnop", "abcdefghijklmnop"},
        {"ab", false, "", ""},
        {"   ab   ", false, "", ""},
        {"abcdefghijklmnopq", false, "", ""},
        {"<b>gras</b>", false, "", ""},
        {"\x01\x02\x03\x04", false, "", ""},
        {"tab\there", false, "", ""},
        {"caf\xC3", false, "", ""},      // cut short
        {"caf\xC0\xA9", false, "", ""},  // overlong
        {"a\xE2\x80\xAE"
         "bc",
         false, "", ""},  // a right-to-left override
        {"😀😀😀", false, "", ""},
    };
    for (const auto& c : cases) {
        std::string name;
        std::string key;
        std::string reason;
        EXPECT_EQ(normalizePlayerName(c.raw, name, key, reason), c.good) << c.raw;
        if (c.good) {
            EXPECT_EQ(name, c.name);
            EXPECT_EQ(key, c.key);
        } else {
            EXPECT_FALSE(reason.empty());
        }
    }
}

TEST_F(ServerTest, NamesAreUniqueIgnoringCaseAndTheTokenIsShownOnce) {
    const Answer made = post("/api/v1/players", json{{"name", " Zoé "}});
    ASSERT_EQ(made.status, 201) << made.text;
    EXPECT_EQ(made.body["name"], "Zoé");
    const std::string token = made.body["token"];
    EXPECT_EQ(token.size(), 32u);
    EXPECT_EQ(post("/api/v1/players", json{{"name", "ZOÉ"}}).status, 409);
    EXPECT_NE(newPlayer("Zoe").token, token);  // without the accent, another name
    // Nothing else the server answers carries the token.
    submit(Player{0, token}, 0, gameRun(0));
    EXPECT_EQ(get("/api/v1/levels/0").text.find(token), std::string::npos);
    EXPECT_EQ(get("/api/v1/levels/0/top").text.find(token), std::string::npos);
}

TEST_F(ServerTest, HostileRequestsGetAClearStatusAndChangeNothing) {
    const Player ana = newPlayer("Ana");
    const std::string run = gameRun(0);
    const std::string big(MaxReplayFileBytes + 1, 'x');
    std::string manyEvents = "version 1\nniveau " + fingerprintText(catalog.level(0)->fingerprint) +
                             "\nscore 1\nimages 20000\n";
    for (int frame = 1; frame <= 20000; ++frame) {
        manyEvents +=
            "appui " + std::to_string(frame) + "\nrelache " + std::to_string(frame) + "\n";
    }
    const struct {
        const char* what;
        std::string method;
        std::string path;
        std::string body;
        std::string token;
        int status;
    } cases[] = {
        {"bad JSON", "POST", "/api/v1/runs", "{\"level\": 0,", ana.token, 400},
        {"not an object", "POST", "/api/v1/players", "[\"Ana\"]", "", 400},
        {"unknown field", "POST", "/api/v1/runs",
         json{{"level", 0}, {"replay", run}, {"score", 9}}.dump(), ana.token, 400},
        {"name of another type", "POST", "/api/v1/players", "{\"name\": 12}", "", 400},
        {"name of HTML", "POST", "/api/v1/players", "{\"name\": \"<script>\"}", "", 400},
        {"name of controls", "POST", "/api/v1/players", "{\"name\": \"\\u0001\\u0002\\u0003\"}", "",
         400},
        {"negative level", "POST", "/api/v1/runs", json{{"level", -1}, {"replay", run}}.dump(),
         ana.token, 404},
        {"huge level", "POST", "/api/v1/runs",
         "{\"level\": 18446744073709551615, \"replay\": \"\"}", ana.token, 404},
        {"level past 64 bits", "POST", "/api/v1/runs", "{\"level\": 1e30, \"replay\": \"\"}",
         ana.token, 400},
        {"level as text", "POST", "/api/v1/runs", json{{"level", "0"}, {"replay", run}}.dump(),
         ana.token, 400},
        {"replay over the limit", "POST", "/api/v1/runs",
         json{{"level", 0}, {"replay", big}}.dump(), ana.token, 413},
        {"40,000 events", "POST", "/api/v1/runs", json{{"level", 0}, {"replay", manyEvents}}.dump(),
         ana.token, 422},
        {"no token", "POST", "/api/v1/runs", json{{"level", 0}, {"replay", run}}.dump(), "", 401},
        {"unknown token", "POST", "/api/v1/runs", json{{"level", 0}, {"replay", run}}.dump(),
         std::string(32, 'a'), 401},
        {"malformed token", "DELETE", "/api/v1/players/me", "", "'; DROP TABLE players; --", 401},
        {"level that does not exist", "GET", "/api/v1/levels/99", "", "", 404},
        {"level not a number", "GET", "/api/v1/levels/-1/top", "", "", 400},
        {"limit over 100", "GET", "/api/v1/levels/0/top?limit=101", "", "", 400},
        {"limit of zero", "GET", "/api/v1/levels/0/top?limit=0", "", "", 400},
        {"negative offset", "GET", "/api/v1/levels/0/top?offset=-1", "", "", 400},
        {"huge offset", "GET", "/api/v1/levels/0/top?offset=99999999999999999999", "", "", 400},
        {"bad fingerprint", "GET", "/api/v1/levels/0?fingerprint=zz", "", "", 400},
        {"run that does not exist", "GET", "/api/v1/runs/123456", "", "", 404},
        {"run not a number", "GET", "/api/v1/runs/1%3B", "", "", 400},
        {"unknown path", "GET", "/api/v1/nothing", "", "", 404},
        {"wrong method", "GET", "/api/v1/runs", "", "", 405},
    };
    for (const auto& c : cases) {
        const Answer answer = call(c.method, c.path, c.body, c.token);
        EXPECT_EQ(answer.status, c.status) << c.what << ": " << answer.text.substr(0, 200);
    }
    EXPECT_EQ(get("/api/v1/levels/0").body["players"], 0);
    EXPECT_EQ(newPlayer("Béa").id, ana.id + 1);  // no player was made on the way
}
