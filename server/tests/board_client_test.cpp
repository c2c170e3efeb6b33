// The game's board client against the server as a process, on a real
// socket: a record run ranked, a server away and back, hostile answers, and
// a frame that never waits on the network.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "net/board_client.h"
#include "server_fixture.h"
#include "server_process.h"
#include "test_support.h"
#include "util/regular_file.h"

using namespace server_test;

namespace {

int64_t wallMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Polls `client` as the game does, at `now` moved on by `step` ms each
// pass, until `done` holds or `seconds` have passed on the real clock.
bool pollUntil(BoardClient& client, int64_t& now, const std::function<bool()>& done,
               int64_t step = 31, int seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        client.poll(now);
        now += step;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class BoardClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories("Save");
        database = freshDatabase(dataTree() + "/client.sqlite");
    }

    void startServer(int port = 0) {
        std::string error;
        ASSERT_TRUE(server.start(database, port, error)) << error;
    }

    void createPlayer(BoardClient& client, const std::string& name) {
        client.createPlayer(name);
        ASSERT_TRUE(pollUntil(
            client, now, [&] { return client.nameState() != BoardClient::NameState::Waiting; }));
        ASSERT_EQ(static_cast<int>(client.nameState()),
                  static_cast<int>(BoardClient::NameState::Created))
            << client.nameMessage();
    }

    TempDir dir;
    std::string database;
    ServerProcess server;
    int64_t now = wallMs();
};

TEST_F(BoardClientTest, ARecordRunIsRankedAndItsBoardShowsOffline) {
    startServer();
    {
        BoardClient client(server.url());
        createPlayer(client, "Léa B");
        EXPECT_EQ(readBoardAccount().name, "Léa B");
        EXPECT_FALSE(client.recordMade(0, 70, gameRun(0)));  // a slower pace stays off the board
        ASSERT_TRUE(client.recordMade(0, FullPace, gameRun(0)));
        EXPECT_TRUE(isRegularFile(OutboxPath));
        ASSERT_TRUE(pollUntil(client, now, [&] { return client.outbox().runs.empty(); }));
        EXPECT_FALSE(isRegularFile(OutboxPath));
        EXPECT_EQ(client.lastVerdictLevel(), 0);
        EXPECT_EQ(client.lastVerdict().rank, 1);
        ReplayData run;
        std::string reason;
        ASSERT_TRUE(parseReplayText(gameRun(0), run, reason));
        EXPECT_EQ(client.lastVerdict().score, run.score);
        EXPECT_TRUE(client.board(0).stale);  // to be fetched again for the new rank

        client.fetchBoard(0);
        EXPECT_TRUE(client.board(0).fetching);
        EXPECT_FALSE(client.board(0).stale);
        ASSERT_TRUE(pollUntil(client, now, [&] { return !client.board(0).fetching; }));
        const BoardClient::Board& board = client.board(0);
        EXPECT_EQ(board.message, "");
        ASSERT_EQ(board.top.top.size(), 1u);
        EXPECT_EQ(board.top.top[0].name, "Léa B");
        EXPECT_EQ(board.top.top[0].score, run.score);
        EXPECT_TRUE(board.ranked);
        EXPECT_EQ(board.around.rank, 1);
    }
    server.stop();
    // Offline, a new game shows the board last fetched, with its date.
    BoardClient offline(server.url());
    EXPECT_GT(offline.board(0).fetchedMs, 0);
    ASSERT_EQ(offline.board(0).top.top.size(), 1u);
    EXPECT_EQ(offline.board(0).top.top[0].name, "Léa B");
    EXPECT_TRUE(offline.board(0).ranked);
    offline.fetchBoard(0);
    ASSERT_TRUE(pollUntil(offline, now, [&] { return !offline.board(0).fetching; }));
    EXPECT_NE(offline.board(0).message, "");
    EXPECT_EQ(offline.board(0).top.top.size(), 1u);
}

TEST_F(BoardClientTest, ARunThatOutrunsItsTicketIsRefusedAndLeaves) {
    startServer();
    BoardClient client(server.url());
    createPlayer(client, "Zoé");
    // A name taken already is refused with the server's words.
    BoardClient other(server.url(), "Autre");
    std::filesystem::create_directories("Autre");
    other.createPlayer("zoé");
    ASSERT_TRUE(pollUntil(other, now,
                          [&] { return other.nameState() != BoardClient::NameState::Waiting; }));
    EXPECT_EQ(other.nameState(), BoardClient::NameState::Refused);
    EXPECT_NE(other.nameMessage(), "");

    client.levelStarted(1);
    // The ticket comes while the level plays; this run comes back at once.
    ASSERT_TRUE(pollUntil(client, now, [&] { return client.ticketReady(1); }));
    ASSERT_TRUE(client.recordMade(1, FullPace, gameRun(1)));
    EXPECT_FALSE(client.ticketReady(1));
    ASSERT_NE(client.outbox().runs.at(0).ticket, "");
    ASSERT_TRUE(pollUntil(client, now, [&] { return client.outbox().runs.empty(); }));
    EXPECT_EQ(client.lastVerdictLevel(), -1);
}

TEST_F(BoardClientTest, AServerAwayKeepsTheRunUntilItIsBack) {
    startServer();
    const int port = server.port();
    {
        BoardClient client(server.url());
        createPlayer(client, "Marin-7");
    }
    server.stop();
    {
        BoardClient client("http://127.0.0.1:" + std::to_string(port));
        ASSERT_TRUE(client.recordMade(0, FullPace, gameRun(0)));
        ASSERT_TRUE(pollUntil(
            client, now, [&] { return client.outbox().runs[0].tries == 2; }, 1000));
        EXPECT_EQ(readOutbox().runs.size(), 1u);
    }
    // A later game, the server back: the run kept on file goes.
    startServer(port);
    BoardClient client(server.url());
    ASSERT_EQ(client.outbox().runs.size(), 1u);
    ASSERT_TRUE(pollUntil(
        client, now, [&] { return client.outbox().runs.empty(); }, 1000));
    EXPECT_EQ(client.lastVerdict().rank, 1);
    EXPECT_FALSE(isRegularFile(OutboxPath));
}

// A server that no longer knows the player (a new database): the account is
// forgotten, for the name to be asked again, and the run waits for it.
TEST_F(BoardClientTest, AnUnknownTokenForgetsTheAccountAndKeepsTheRun) {
    startServer();
    const int port = server.port();
    {
        BoardClient client(server.url());
        createPlayer(client, "Oubli");
    }
    server.stop();
    database = freshDatabase(dataTree() + "/client.sqlite");
    startServer(port);
    BoardClient client(server.url());
    ASSERT_TRUE(client.recordMade(0, FullPace, gameRun(0)));
    ASSERT_TRUE(pollUntil(
        client, now, [&] { return !client.account().known(); }, 1000));
    EXPECT_FALSE(readBoardAccount().known());
    EXPECT_EQ(readOutbox().runs.size(), 1u);
    createPlayer(client, "Oubli");  // the old name is free on the new database
    ASSERT_TRUE(pollUntil(
        client, now, [&] { return client.outbox().runs.empty(); }, 1000));
    EXPECT_EQ(client.lastVerdict().rank, 1);
}

// A server that answers what it should not.
class HostileServer {
  public:
    HostileServer() {
        site.Post("/huge/api/v1/runs", [](const httplib::Request&, httplib::Response& answer) {
            answer.set_content(std::string(4 * MaxAnswerBytes, '{'), "application/json");
        });
        site.Get("/huge/api/v1/levels/0", [](const httplib::Request&, httplib::Response& answer) {
            answer.set_content(std::string(4 * MaxAnswerBytes, '['), "application/json");
        });
        site.Post("/bad/api/v1/runs", [](const httplib::Request&, httplib::Response& answer) {
            answer.set_content("{\"score\": oops", "application/json");
        });
        site.Get("/bad/api/v1/levels/0", [](const httplib::Request&, httplib::Response& answer) {
            answer.set_content("{\"level\": [", "application/json");
        });
        site.Post("/busy/api/v1/runs", [](const httplib::Request&, httplib::Response& answer) {
            answer.status = 429;
            answer.set_header("Retry-After", "120");
            answer.set_content("{\"error\":\"trop de requêtes\"}", "application/json");
        });
        const auto stall = [this](const httplib::Request&, httplib::Response& answer) {
            for (int i = 0; i < 500 && !stopping; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            answer.set_content("{}", "application/json");
        };
        site.Post("/stall/api/v1/runs", stall);
        site.Get("/stall/api/v1/levels/0", stall);
        port = site.bind_to_any_port("127.0.0.1");
        serving = std::thread([this] { site.listen_after_bind(); });
    }
    ~HostileServer() {
        stopping = true;
        site.stop();
        serving.join();
    }

    int port = 0;

  private:
    httplib::Server site;
    std::atomic<bool> stopping{false};
    std::thread serving;
};

TEST_F(BoardClientTest, AHostileAnswerCostsNothing) {
    HostileServer hostile;
    writeBoardAccount(BoardAccount{3, "Léa B", "0123abcd", false});
    const struct {
        const char* path;
        int64_t leastWaitMs;
    } cases[] = {
        {"huge", FirstRetryMs}, {"bad", FirstRetryMs}, {"busy", 120000}, {"stall", FirstRetryMs}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        BoardClient client("http://127.0.0.1:" + std::to_string(hostile.port) + "/" + c.path,
                           "Save", HttpTimeouts{1000, 1500});
        ASSERT_TRUE(client.recordMade(0, FullPace, gameRun(0)));
        client.fetchBoard(0);
        const int64_t sent = now;
        ASSERT_TRUE(pollUntil(
            client, now, [&] { return client.outbox().runs[0].tries == 1; }, 1, 5));
        EXPECT_GE(client.outbox().runs[0].nextTryMs, sent + c.leastWaitMs);
        EXPECT_EQ(readOutbox().runs.size(), 1u);
        ASSERT_TRUE(pollUntil(
            client, now, [&] { return !client.board(0).fetching; }, 1, 5));
        EXPECT_NE(client.board(0).message, "");
        EXPECT_EQ(client.board(0).fetchedMs, 0);
    }
}

TEST_F(BoardClientTest, AFrameNeverWaitsForAServerThatDoesNotAnswer) {
    // A socket that listens and never accepts: connections hang there.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 16), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    writeBoardAccount(BoardAccount{3, "Léa B", "0123abcd", false});

    BoardClient client("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    client.createPlayer("Personne");
    client.levelStarted(0);
    ASSERT_TRUE(client.recordMade(0, FullPace, gameRun(0)));
    client.fetchBoard(0);
    double slowestMs = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < end) {
        const auto start = std::chrono::steady_clock::now();
        client.poll(now);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        slowestMs = std::max(slowestMs, took.count());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A frame is 31 ms; the board may take a small part of it.
    EXPECT_LT(slowestMs, 10.0);
    EXPECT_EQ(client.nameState(), BoardClient::NameState::Waiting);
    EXPECT_TRUE(client.board(0).fetching);
    EXPECT_EQ(client.outbox().runs[0].tries, 0);
    close(listener);
}

}  // namespace
