#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include <httplib.h>

// Limits of time and number on the HTTP connections, which cpp-httplib
// leaves to its caller. Its read timeout bounds each wait for a byte, so a
// client that sends a byte a second would hold a worker for as long as it
// likes; and nothing stops one address from taking every worker.
//
// The guard is the site's pool of workers. Each connection it runs has a
// deadline: a request must have arrived whole within RequestMs of the
// connection's start or of the last answer (`requestMs`), and be answered
// within AnswerMs.
// A client past the first is told 408 and the connection is shut; one past
// the second is shut. One address keeps at most `perAddress` connections at
// once; the next is told 503 and shut at once.
class ConnectionGuard : public httplib::TaskQueue {
  public:
    static constexpr int64_t AnswerMs = 60000;

    ConnectionGuard(int workers, int perAddress, int64_t requestMs);
    ~ConnectionGuard() override;

    void enqueue(std::function<void()> work) override;
    void shutdown() override;

    // Called on the worker that handles a connection: its request has been
    // read whole, and its answer has been written.
    static void requestRead();
    static void answered();

  private:
    struct Connection {
        int socket = -1;  // a duplicate, so that its number is not reused before we let go
        std::string address;
        bool reading = true;
        int64_t deadlineMs = 0;
    };
    void watch();
    void admit(const std::shared_ptr<Connection>& connection);
    void leave(const std::shared_ptr<Connection>& connection);
    void setDeadline(Connection& connection, bool reading, int64_t afterMs);

    // The guard and connection of the worker's thread.
    static thread_local ConnectionGuard* currentGuard;
    static thread_local std::shared_ptr<Connection> currentConnection;

    httplib::ThreadPool workers;
    int perAddress;
    int64_t requestMs;
    std::mutex mutex;
    std::map<Connection*, std::shared_ptr<Connection>> open;
    std::unordered_map<std::string, int> perAddressOpen;
    std::condition_variable wake;
    bool stopping = false;
    std::thread watcher;
};
