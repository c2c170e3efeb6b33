#include "connection_guard.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

// The socket accept() has just given the thread that accepts connections,
// which hands it to the pool right after: httplib's pool is only told of a
// piece of work, not of its socket.
thread_local int lastAccepted = -1;

int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string peerAddress(int socket) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    char text[INET6_ADDRSTRLEN] = "";
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        if (peer.ss_family == AF_INET) {
            inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&peer)->sin_addr, text, sizeof text);
        } else if (peer.ss_family == AF_INET6) {
            inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&peer)->sin6_addr, text,
                      sizeof text);
        }
    }
    return text;
}

// A whole answer written straight to the socket, for a client the worker
// will not answer itself.
void refuse(int socket, int status, const char* reason, const char* message) {
    const std::string body = std::string("{\"error\":\"") + message + "\"}";
    const std::string answer =
        "HTTP/1.1 " + std::to_string(status) + " " + reason +
        "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    [[maybe_unused]] const ssize_t sent =
        send(socket, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(socket, SHUT_RDWR);
}

}  // namespace

// httplib accepts with the C library's accept(); this one, in the server's
// own program, comes first for the dynamic linker, notes the socket for the
// pool, and calls accept4() (the same system call) to do the accepting.
extern "C" int accept(int listening, sockaddr* address, socklen_t* length) {
    const int socket = accept4(listening, address, length, 0);
    lastAccepted = socket;
    return socket;
}

thread_local ConnectionGuard* ConnectionGuard::currentGuard = nullptr;
thread_local std::shared_ptr<ConnectionGuard::Connection> ConnectionGuard::currentConnection;

ConnectionGuard::ConnectionGuard(int workers, int perAddress, int64_t requestMs)
    : workers(static_cast<std::size_t>(workers)), perAddress(perAddress), requestMs(requestMs) {
    watcher = std::thread([this] { watch(); });
}

ConnectionGuard::~ConnectionGuard() {
    shutdown();
}

void ConnectionGuard::shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping) {
            return;
        }
        stopping = true;
    }
    wake.notify_all();
    watcher.join();
    workers.shutdown();
}

void ConnectionGuard::enqueue(std::function<void()> work) {
    const int socket = lastAccepted;
    lastAccepted = -1;
    auto connection = std::make_shared<Connection>();
    connection->socket = socket >= 0 ? dup(socket) : -1;
    connection->address = socket >= 0 ? peerAddress(socket) : std::string();
    bool admitted = true;
    {
        std::lock_guard<std::mutex> lock(mutex);
        int& count = perAddressOpen[connection->address];
        admitted = count < perAddress;
        ++count;
    }
    if (!admitted && connection->socket >= 0) {
        refuse(connection->socket, 503, "Service Unavailable",
               "trop de connexions depuis cette adresse");
    }
    workers.enqueue([this, connection, work = std::move(work)] {
        admit(connection);
        work();  // httplib's: the connection's requests, then its close
        leave(connection);
    });
}

void ConnectionGuard::admit(const std::shared_ptr<Connection>& connection) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        connection->deadlineMs = steadyMs() + requestMs;
        open.emplace(connection.get(), connection);
    }
    currentGuard = this;
    currentConnection = connection;
}

void ConnectionGuard::leave(const std::shared_ptr<Connection>& connection) {
    currentGuard = nullptr;
    currentConnection.reset();
    std::lock_guard<std::mutex> lock(mutex);
    open.erase(connection.get());
    const auto count = perAddressOpen.find(connection->address);
    if (count != perAddressOpen.end() && --count->second <= 0) {
        perAddressOpen.erase(count);
    }
    if (connection->socket >= 0) {
        close(connection->socket);
    }
}

void ConnectionGuard::setDeadline(Connection& connection, bool reading, int64_t afterMs) {
    std::lock_guard<std::mutex> lock(mutex);
    if (connection.deadlineMs != 0 || !reading) {  // 0: the watcher has cut it already
        connection.reading = reading;
        connection.deadlineMs = steadyMs() + afterMs;
    }
}

void ConnectionGuard::requestRead() {
    if (currentGuard != nullptr && currentConnection) {
        currentGuard->setDeadline(*currentConnection, false, AnswerMs);
    }
}

void ConnectionGuard::answered() {
    if (currentGuard != nullptr && currentConnection) {
        currentGuard->setDeadline(*currentConnection, true, currentGuard->requestMs);
    }
}

void ConnectionGuard::watch() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        const int64_t now = steadyMs();
        for (const auto& [key, connection] : open) {
            if (connection->deadlineMs != 0 && now > connection->deadlineMs &&
                connection->socket >= 0) {
                if (connection->reading) {
                    refuse(connection->socket, 408, "Request Timeout", "requête trop lente");
                } else {
                    ::shutdown(connection->socket, SHUT_RDWR);
                }
                connection->deadlineMs = 0;  // once
            }
        }
        wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return stopping; });
    }
}
