#pragma once

#include <sys/types.h>

#include <string>

namespace server_test {

// The leaderboard server as its own process, serving the tests' data tree
// (dataTree()) on 127.0.0.1, as a player's game meets it. Stopped with
// SIGTERM when the object goes.
class ServerProcess {
  public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the server on `database` and `port` (0: a free one), and waits
    // until it listens; false, with the server's words in `error`, when it
    // did not start within 10 s.
    bool start(const std::string& database, int port, std::string& error);
    // Stops it and waits until it has ended.
    void stop();
    int port() const { return boundPort; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(boundPort); }

  private:
    pid_t pid = -1;
    int boundPort = 0;
};

}  // namespace server_test
