// Start-up time: from the start of a process to the first title-menu frame
// drawn, the way the game's own entry gets there.
//
//   bench-startup GAME_DIR [runs]
//
// Each run forks, takes the time, and executes this program again as a
// child (so exec, the dynamic loader and every library's set-up count).
// The child builds the Game as main.cpp does, but with GameFlow::StartupOnly,
// runs the story and records loading the flow runs before the title menu,
// draws one title frame as showTitleMenu would (white fill, title picture
// and animation, SDL_Flip), and reports the time then. Both clocks are the
// system's monotonic clock. The video driver is whatever SDL_VIDEODRIVER
// names (bench/run uses x11 on a virtual X server when it can).

#include <SDL/SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/game.h"
#include "bench_support.h"

namespace {

int runChild(int reportFd) {
    std::cout.rdbuf(std::cerr.rdbuf());
    double drawnAt = 0.0;
    {
        Game game(GameFlow::StartupOnly);
        if (game.startupFailed) {
            return 1;
        }
        while (game.nextScreen == Screen::LoadStory || game.nextScreen == Screen::LoadRecords) {
            game.runNextScreen();
        }
        if (game.nextScreen != Screen::TitleMenu) {
            return 1;
        }
        game.selection = 0;
        game.fillWhite();
        game.drawTitleFrame();
        SDL_Flip(game.screen);
        drawnAt = bench::nowMs();
    }
    const std::string report = std::to_string(drawnAt);
    return write(reportFd, report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0
                                                                                                : 1;
}

// One start, in milliseconds; negative when the child failed.
double timeOneStart(const std::string& folder) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1.0;
    }
    const double start = bench::nowMs();
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (chdir(folder.c_str()) != 0) {
            _exit(1);
        }
        const std::string fd = std::to_string(fds[1]);
        execl("/proc/self/exe", "bench-startup", "--child", fd.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (child < 0) {
        close(fds[0]);
        return -1.0;
    }
    std::string report;
    char buffer[64];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty()) {
        return -1.0;
    }
    return std::strtod(report.c_str(), nullptr) - start;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        return runChild(std::atoi(argv[2]));
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s GAME_DIR [runs]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    bench::GameCopy copy(argv[1]);
    if (!copy.ok()) {
        std::fprintf(stderr, "cannot make a copy of %s\n", argv[1]);
        return 1;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double ms = timeOneStart(copy.path());
        if (ms < 0.0) {
            std::fprintf(stderr, "the game did not reach its title menu\n");
            return 1;
        }
        times.push_back(ms);
    }
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    std::fprintf(stderr, "start-up on the %s video driver\n",
                 driver != nullptr ? driver : "default");
    bench::printFigure("startup_ms", bench::median(times), "ms");
    return 0;
}
