#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server_options.h"

TEST(ServerOptions, ReadsEveryOptionAndRefusesTheRest) {
    const struct {
        std::vector<const char*> args;
        bool good;
        const char* host;
        int port;
    } cases[] = {
        {{}, true, "127.0.0.1", 8080},
        {{"--listen", "0.0.0.0:9000"}, true, "0.0.0.0", 9000},
        {{"--listen", "[::1]:80"}, true, "[::1]", 80},
        {{"--listen", "127.0.0.1:0"}, true, "127.0.0.1", 0},
        {{"--listen", "127.0.0.1:65536"}, false, "", 0},
        {{"--listen", "127.0.0.1"}, false, "", 0},
        {{"--listen", ":80"}, false, "", 0},
        {{"--workers", "0"}, false, "", 0},
        {{"--data"}, false, "", 0},
        {{"--port", "80"}, false, "", 0},
        {{"--reads-per-minute", "0"}, false, "", 0},
        {{"--connections-per-address", "-1"}, false, "", 0},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"mosslance-server"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        ServerOptions options;
        std::string error;
        EXPECT_EQ(parseServerOptions(static_cast<int>(argv.size()), argv.data(), options, error),
                  c.good)
            << (c.args.empty() ? "" : c.args[0]);
        if (c.good) {
            EXPECT_EQ(options.host, c.host);
            EXPECT_EQ(options.port, c.port);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    ServerOptions options;
    const char* argv[] = {"s",
                          "--data",
                          "d",
                          "--web",
                          "w",
                          "--database",
                          "postgresql://x",
                          "--reads-per-minute",
                          "120",
                          "--connections-per-address",
                          "4"};
    std::string error;
    ASSERT_TRUE(parseServerOptions(11, argv, options, error));
    EXPECT_EQ(options.readsPerMinute, 120);
    EXPECT_EQ(options.connectionsPerAddress, 4);
    EXPECT_EQ(options.dataDir, "d");
    EXPECT_EQ(options.webDir, "w");
    EXPECT_TRUE(isPostgresUrl(options.database));
    EXPECT_FALSE(isPostgresUrl("leaderboard.sqlite"));
}
