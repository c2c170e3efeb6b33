#include "server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "server_fixture.h"
#include "test_support.h"
#include "util/keyword_text.h"

namespace server_test {

ServerProcess::~ServerProcess() {
    stop();
}

bool ServerProcess::start(const std::string& database, int port, std::string& error) {
    stop();
    const std::string output = dataTree() + "/server-" + std::to_string(getpid()) + ".out";
    const std::string listen = "127.0.0.1:" + std::to_string(port);
    const std::string tree = dataTree();  // made before the fork, never in the child
    // Not to read an earlier server's port before this one's.
    std::filesystem::remove(output);
    pid = fork();
    if (pid == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        execl(MOSSLANCE_SERVER_PROGRAM, "mosslance-server", "--data", tree.c_str(), "--listen",
              listen.c_str(), "--database", database.c_str(), "--workers", "4",
              "--submissions-per-minute", "100000", "--players-per-minute", "100000",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    constexpr std::string_view listening = "a l'ecoute sur http://127.0.0.1:";
    std::string said;
    for (int i = 0; i < 1000 && pid > 0; ++i) {
        const std::size_t at = text::readWholeFile(output, said, text::MaxDataFileBytes)
                                   ? said.find(listening)
                                   : std::string::npos;
        // The port, whole: the '/' after it is written.
        int32_t port = 0;
        std::size_t digits = 0;
        const std::string_view rest = at == std::string::npos
                                          ? std::string_view()
                                          : std::string_view(said).substr(at + listening.size());
        if (text::parseInt32(rest, port, &digits) && rest.substr(digits, 1) == "/") {
            boundPort = port;
            return true;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error = "le serveur n'a pas démarré : " + said;
    stop();
    return false;
}

void ServerProcess::stop() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

}  // namespace server_test
