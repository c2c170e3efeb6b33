// The Game's own frames on SDL's dummy video driver, with the shipped data:
//
//   bench-game_frames GAME_DIR [--quick]
//
// level_start_ms  startGame(i) up to its first play frame drawn and flipped,
//                 for each shipped level; the slowest level's median
//                 (level_start_cpu_ms: the same in this thread's CPU time;
//                 level_first_start_ms: the process's very first start, a
//                 single run, before any level's memory can be reused).
// play_frame_ms   one play frame (white fill, drawPlayFrame, SDL_Flip) on the
//                 busiest stretch of the shipped levels: the 72 visible
//                 columns holding the most non-empty cells in rows 0 to 47.
// play_frame_ghost_ms  the same, racing a ghost drawn in every frame.
// play_frame_stalled_board_ms  the same, without the ghost, with the world
//                 board on and polled each frame as the play loop does, while
//                 it sends a run to a server that never answers.
// title_frame_ms  one title-menu frame (white fill, drawTitleFrame, SDL_Flip).
//
// The game's messages go to the standard error stream; the standard output
// holds only "name value unit" lines.

#include <SDL/SDL.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/game.h"
#include "bench_support.h"
#include "net/board_account.h"
#include "net/board_client.h"
#include "util/keyword_text.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

// The hero's body starts at pixel (310, 240): screen column 31, row 24, and
// the play loop looks at its waist, two rows up.
constexpr int32_t HeroScreenColumn = 31;
constexpr int32_t HeroStartRow = 24;
constexpr int32_t HeroWaistRow = HeroStartRow - 2;

struct Stretch {
    int32_t levelIndex = -1;
    int32_t column = 0;  // the camera's column while the stretch is drawn
    int32_t cells = -1;  // non-empty visible cells
};

// The stretch of one level file with the most non-empty visible cells. A
// stretch that would put an enemy at the hero's waist is passed over: that
// frame would wait 200 ms for the damage picture, which is no drawing cost.
Stretch busiestStretch(const std::string& path, int32_t levelIndex) {
    Stretch best;
    std::string contents;
    if (!text::readWholeFile(path, contents, MaxLevelFileBytes)) {
        return best;
    }
    std::vector<int32_t> grid(GridCells, Empty);
    LevelFileData data;
    parseLevelText(contents, data, grid.data());
    std::vector<int32_t> perColumn(GridColumns, 0);
    for (int32_t column = 0; column < GridColumns; ++column) {
        for (int32_t row = 0; row < VisibleRows; ++row) {
            perColumn[column] += grid[cellIndex(column, row)] != Empty ? 1 : 0;
        }
    }
    int32_t window = 0;
    for (int32_t column = 0; column < GridColumns; ++column) {
        window += perColumn[column];
        const int32_t first = column - VisibleColumns + 1;
        if (first < 0) {
            continue;
        }
        const int32_t waist = cellAt(grid.data(), first + HeroScreenColumn, HeroWaistRow);
        if (window > best.cells && waist != Enemy) {
            best = Stretch{levelIndex, first, window};
        }
        window -= perColumn[first];
    }
    return best;
}

void drawOnePlayFrame(Game& game) {
    game.fillWhite();
    game.drawPlayFrame();
    SDL_Flip(game.screen);
}

// A socket on 127.0.0.1 that listens and never accepts: the kernel completes
// a client's connection and takes its request, and no answer ever comes.
// -1 when it cannot be made.
int stalledListener(int& port) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0) {
            close(listener);
        }
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

// Polls the game's board until a connection waits in `listener`'s queue,
// for 5 s at most.
bool connectionWaiting(Game& game, int listener) {
    const double end = bench::nowMs() + 5000.0;
    pollfd waiting{listener, POLLIN, 0};
    while (bench::nowMs() < end) {
        game.pollWorldBoard();
        if (poll(&waiting, 1, 10) == 1) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s GAME_DIR [--quick]\n", argv[0]);
        return 2;
    }
    const bool quick = argc > 2 && std::strcmp(argv[2], "--quick") == 0;
    const int startRuns = quick ? 3 : 9;
    const int playFrames = quick ? 60 : 600;
    const int titleFrames = quick ? 60 : 600;

    bench::GameCopy copy(argv[1]);
    if (!copy.ok() || chdir(copy.path().c_str()) != 0) {
        std::fprintf(stderr, "cannot make a copy of %s\n", argv[1]);
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The dummy audio driver mixes for real in its own thread, as a sound
    // card would make the game do.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::cout.rdbuf(std::cerr.rdbuf());

    Game game(GameFlow::StartupOnly);
    if (game.startupFailed) {
        std::fprintf(stderr, "the game did not start\n");
        return 1;
    }
    game.runNextScreen();  // loadStory
    game.runNextScreen();  // loadRecords
    if (game.nextScreen != Screen::TitleMenu) {
        std::fprintf(stderr, "no story or saved game in %s\n", argv[1]);
        return 1;
    }
    const int32_t levels = std::min(game.levelCount, MaxLevelFiles);

    // The title menu, as showTitleMenu enters it.
    game.selection = 0;
    std::vector<double> titleTimes;
    for (int frame = 0; frame < titleFrames; ++frame) {
        const double start = bench::nowMs();
        game.fillWhite();
        game.drawTitleFrame();
        SDL_Flip(game.screen);
        titleTimes.push_back(bench::nowMs() - start);
    }

    // Each level started several times, as the end-of-level screen does.
    double slowestStart = 0.0;
    double slowestStartCpu = 0.0;
    double firstStart = 0.0;
    Stretch busiest;
    for (int32_t index = 0; index < levels; ++index) {
        std::vector<double> times;
        std::vector<double> cpuTimes;
        for (int run = 0; run < startRuns; ++run) {
            const double start = bench::nowMs();
            const double startCpu = bench::threadCpuMs();
            game.startGame(index);
            drawOnePlayFrame(game);
            cpuTimes.push_back(bench::threadCpuMs() - startCpu);
            times.push_back(bench::nowMs() - start);
            if (index == 0 && run == 0) {
                firstStart = times.back();
            }
        }
        const double startMs = bench::median(times);
        const double startCpuMs = bench::median(cpuTimes);
        std::fprintf(stderr, "level %d (%s): start %.3f ms, %.3f ms of CPU\n", index,
                     game.levelFiles[index].c_str(), startMs, startCpuMs);
        slowestStart = std::max(slowestStart, startMs);
        slowestStartCpu = std::max(slowestStartCpu, startCpuMs);
        const Stretch stretch = busiestStretch(game.levelFiles[index], index);
        if (stretch.cells > busiest.cells) {
            busiest = stretch;
        }
    }
    if (busiest.levelIndex < 0) {
        std::fprintf(stderr, "no level to play\n");
        return 1;
    }
    std::fprintf(stderr, "busiest stretch: level %d, columns %d to %d, %d cells\n",
                 busiest.levelIndex, busiest.column, busiest.column + VisibleColumns - 1,
                 busiest.cells);

    // Every timed frame draws the same stretch with the hero in the same
    // state: the camera, the hero and its body, the score and the cell at the
    // hero's waist (a bonus there would be taken) are put back each time.
    game.startGame(busiest.levelIndex);
    game.level->score = busiest.column;
    const Body bodyAtStart = *game.body;
    const HeroMotion motionAtStart = game.hero->motion;
    const int32_t waistIndex = cellIndex(busiest.column + HeroScreenColumn, HeroWaistRow);
    const int32_t waistCell = waistIndex < 0 ? int32_t{Empty} : game.level->grid[waistIndex];
    auto timePlayFrames = [&] {
        std::vector<double> times;
        for (int frame = 0; frame < playFrames; ++frame) {
            game.camera.column = busiest.column - game.level->scrollStep;
            *game.body = bodyAtStart;
            game.hero->motion = motionAtStart;
            if (waistIndex >= 0) {
                game.level->grid[waistIndex] = waistCell;
            }
            const double start = bench::nowMs();
            drawOnePlayFrame(game);
            game.pollWorldBoard();  // nothing without a board
            times.push_back(bench::nowMs() - start);
        }
        return times;
    };
    game.ghostShown = false;
    const std::vector<double> playTimes = timePlayFrames();

    // The same frames while the board's run is on its way to a server that
    // never answers, as when a player's network hangs: the board is on, a
    // run waits in the outbox for a known player, and its POST is sent
    // before the frames are timed and still unanswered after them.
    int port = 0;
    const int listener = stalledListener(port);
    if (listener < 0) {
        std::fprintf(stderr, "no local socket for a server that never answers\n");
        return 1;
    }
    writeBoardAccount(BoardAccount{1, "Banc", "0123abcd", false});
    game.serverUrl = "http://127.0.0.1:" + std::to_string(port);
    game.startWorldBoard();
    ReplayData queued;
    queued.levelFingerprint = game.level->fileFingerprint;
    queued.score = 1;
    queued.frames = 1;
    game.tellBoardOfRecord(busiest.levelIndex, queued);
    if (game.worldBoard == nullptr || game.worldBoard->outbox().runs.size() != 1 ||
        !connectionWaiting(game, listener)) {
        std::fprintf(stderr, "the board's run never reached the stalled server\n");
        return 1;
    }
    const std::vector<double> stalledTimes = timePlayFrames();
    if (game.worldBoard->requestsInFlight() != 1 || game.worldBoard->outbox().runs.size() != 1 ||
        game.worldBoard->outbox().runs[0].tries != 0) {
        std::fprintf(stderr, "the board's run was not in flight through the frames\n");
        return 1;
    }
    game.worldBoard.reset();
    close(listener);

    // The same frames racing a ghost that runs on a floor all the way, so
    // that it is stepped and drawn in every one.
    std::vector<int32_t> floor(GridCells, Empty);
    for (int32_t column = 0; column < GridColumns; ++column) {
        floor[cellIndex(column, 30)] = Tile0;
    }
    ReplayData run;
    run.frames = MaxReplayFrames;
    game.ghost.start(floor.data(), run, *game.hero);
    game.ghostShown = true;
    const std::vector<double> ghostTimes = timePlayFrames();
    if (game.ghost.runner() == nullptr) {
        std::fprintf(stderr, "the ghost did not last the frames\n");
        return 1;
    }

    bench::printFigure("level_start_ms", slowestStart, "ms");
    bench::printFigure("level_start_cpu_ms", slowestStartCpu, "ms");
    bench::printFigure("level_first_start_ms", firstStart, "ms");
    bench::printFigure("play_frame_ms", bench::median(playTimes), "ms");
    bench::printFigure("play_frame_ghost_ms", bench::median(ghostTimes), "ms");
    bench::printFigure("play_frame_stalled_board_ms", bench::median(stalledTimes), "ms");
    bench::printFigure("title_frame_ms", bench::median(titleTimes), "ms");
    return 0;
}
