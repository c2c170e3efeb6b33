// Attempt tickets: a run that comes back sooner than its frames take was
// played on a slowed clock and is refused; a run on time is marked timed.
// And the limits on how often a token or an address may submit.

#include <string>

#include "attempt_ticket.h"
#include "server_fixture.h"

using namespace server_test;

namespace {

int64_t framesOf(const std::string& run) {
    const std::size_t start = run.find("images ") + 7;
    return std::stoll(run.substr(start, run.find('\n', start) - start));
}

}  // namespace

TEST_F(ServerTest, ARunBackSoonerThanItsFramesTakeIsRefusedAndOneOnTimeIsTimed) {
    const Player ana = newPlayer("Ana");
    const std::string& run = gameRun(0);
    const int64_t playMs = framesOf(run) * FramePeriodMs;
    const auto withTicket = [&](const std::string& ticket) {
        return post("/api/v1/runs", json{{"level", 0}, {"replay", run}, {"ticket", ticket}},
                    ana.token);
    };
    const Answer attempt = post("/api/v1/attempts", json{{"level", 0}});
    ASSERT_EQ(attempt.status, 201) << attempt.text;
    const std::string ticket = attempt.body["ticket"];

    now += playMs / 2;  // the page's clock ran at half speed
    const Answer slowed = withTicket(ticket);
    EXPECT_EQ(slowed.status, 422) << slowed.text;
    EXPECT_NE(slowed.text.find("ralenti"), std::string::npos);
    EXPECT_EQ(get("/api/v1/levels/0").body["players"], 0);

    const Answer otherLevel = post("/api/v1/attempts", json{{"level", 1}});
    std::string forged = ticket;
    forged[0] = forged[0] == '0' ? '1' : '0';
    for (const std::string& bad :
         {otherLevel.body["ticket"].get<std::string>(), forged, issueTicket("x", 0, 0),
          std::string("0.0.0.0"), std::string(300, '.')}) {
        EXPECT_EQ(withTicket(bad).status, 400) << bad;
    }

    now += playMs / 2;  // the whole level's time has gone by
    const Answer onTime = withTicket(ticket);
    ASSERT_EQ(onTime.status, 200) << onTime.text;
    EXPECT_EQ(get("/api/v1/levels/0").body["top"][0]["timed"], true);
    EXPECT_EQ(get("/api/v1/levels/0/top").body["entries"][0]["timed"], true);
}

TEST_F(ServerTest, SubmissionsAreLimitedPerTokenAndPerAddress) {
    const std::string run = madeRun(0, {});
    const Player ana = newPlayer("Ana");
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(submit(ana, 0, run).status, 200) << i;
    }
    const Answer flooded = submit(ana, 0, run);
    EXPECT_EQ(flooded.status, 429);
    // Another server on the same database counts against the same limit.
    ApiSettings shared;
    ASSERT_EQ(store.sharedSecret("tickets", "", shared.ticketSecret), StoreStatus::Ok);
    ApiRoutes otherServer(catalog, store, shared);
    otherServer.clock = [this] { return now; };
    ApiRequest again{"POST",  "/api/v1/runs",
                     {},      "Bearer " + ana.token,
                     address, json{{"level", 0}, {"replay", run}}.dump()};
    EXPECT_EQ(otherServer.handle(again).status, 429);
    address = "192.0.2.2";  // another address does not free the token
    EXPECT_EQ(submit(ana, 0, run).status, 429);
    const Player bea = newPlayer("Béa");  // nor does another token free the address
    address = "192.0.2.1";
    EXPECT_EQ(submit(bea, 0, run).status, 429);
    now += 60000;
    EXPECT_EQ(submit(ana, 0, run).status, 200);
    EXPECT_EQ(get("/api/v1/levels/0").body["players"], 1);

    // Names from one address, likewise.
    int made = 0;
    address = "192.0.2.9";
    while (made < 100 &&
           post("/api/v1/players", json{{"name", "Nom " + std::to_string(made)}}).status == 201) {
        ++made;
    }
    EXPECT_EQ(made, ApiSettings().playersPerMinute);
}

TEST(RateLimiter, TellsWhenToComeBack) {
    RateLimiter limiter(2);
    int retryAfter = 0;
    const int64_t minute = 60000 * 100;
    EXPECT_TRUE(limiter.allow("a", minute + 1000, retryAfter));
    EXPECT_TRUE(limiter.allow("a", minute + 2000, retryAfter));
    EXPECT_FALSE(limiter.allow("a", minute + 45000, retryAfter));
    EXPECT_EQ(retryAfter, 15);
    EXPECT_TRUE(limiter.allow("b", minute + 45000, retryAfter));
    EXPECT_TRUE(limiter.allow("a", minute + 60000, retryAfter));
}
