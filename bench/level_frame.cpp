// Time of one Level::runFrame and the hero's update after it, on a level
// whose visible cells are all full, on SDL's dummy video driver.
//
//   bench-level_frame [--sse4.1 | --sse2] [game folder [level file]]
//
// --sse4.1 and --sse2 time the blends that processors without AVX2 run.
// Without arguments every picture is made here, at the sizes the art is drawn
// for, with transparent margins like real sprites. With the build's game/
// folder it draws the game's own bonus, success and enemy pictures and font,
// and with one of its level files also that level's background, overlay and
// tiles. The cells are always replaced by a full screen of them. The hero is
// the game's own (from the game folder, or the build's).

#include <SDL/SDL.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../tests/alpha_bmp.h"
#include "actors/body.h"
#include "actors/hero.h"
#include "app/camera.h"
#include "world/cell_code.h"
#include "world/cell_coverage.h"
#include "world/level.h"

namespace {

// The pictures reach the Level the way the game's do, alpha and all.
void writePicture(const std::string& path, int width, int height,
                  const std::function<uint32_t(int, int)>& pixel) {
    writeAlphaBmp(path, width, height, pixel);
}

// An elliptic sprite centred at (cx, cy): opaque inside, transparent outside,
// with an edge about one and a half pixels wide as a rendered drawing has.
uint32_t blob(int x, int y, double cx, double cy, double rx, double ry, uint32_t rgb) {
    const double d = std::hypot((x - cx) / rx, (y - cy) / ry);
    const double inside = (1.0 - d) * std::min(rx, ry) / 1.5;  // 1 at 1.5 px in
    if (inside <= 0.0) {
        return 0;
    }
    const uint32_t alpha = inside >= 1.0 ? 255 : static_cast<uint32_t>(255 * inside);
    return (alpha << 24) | rgb;
}

void fillGrid(Level& level, int32_t lastColumn) {
    // Every visible row of every column the run shows holds something:
    // ground, platforms, bonuses and enemies in a fixed mix.
    static constexpr int32_t mix[] = {Tile0, Bonus, Tile0, Enemy, Tile1, Tile0, Bonus, Enemy};
    for (int32_t column = 0; column <= lastColumn && column < GridColumns; ++column) {
        for (int32_t row = 0; row < VisibleRows; ++row) {
            level.grid[cellIndex(column, row)] = mix[(column * 3 + row) % 8];
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string(argv[1]) == "--sse4.1" || std::string(argv[1]) == "--sse2")) {
        CellCoverage::widestInstructions = std::string(argv[1]) == "--sse2"
                                               ? CellCoverage::Instructions::Plain
                                               : CellCoverage::Instructions::Sse41;
        --argc;
        ++argv;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || SDL_SetVideoMode(720, 480, 32, SDL_HWSURFACE) == nullptr) {
        std::printf("no video: %s\n", SDL_GetError());
        return 1;
    }
    char folder[] = "/tmp/bench-level-frame-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::printf("no temporary folder\n");
        return 1;
    }
    const std::string here = folder;
    // The level's own pictures, named by its file.
    writePicture(here + "/back.bmp", 720, 480, [](int x, int y) {
        return 0xff000000u | (uint32_t(x * 255 / 720) << 16) | (uint32_t(y * 255 / 480) << 8) |
               0xc0;
    });
    writePicture(here + "/over.bmp", 720, 480, [](int x, int y) {
        // A frame around the view, and a veil behind the score.
        const bool edge = x < 12 || x >= 708 || y < 12 || y >= 468;
        return edge ? 0xff203040u : (y < 90 && x > 520 ? 0x60ffffffu : 0u);
    });
    writePicture(here + "/tile0.bmp", 10, 10, [](int x, int y) {
        return 0xff000000u | ((x + y) % 2 != 0 ? 0x2e7d32u : 0x1b5e20u);
    });
    writePicture(here + "/tile1.bmp", 90, 80, [](int x, int y) {
        return y >= 70 ? 0xff795548u : blob(x, y, 45, 60, 30, 12, 0x4caf50);
    });
    const std::string levelPath = here + "/full.lvl";
    std::ofstream(levelPath) << "img 1 " << here << "/back.bmp\nimg 2 " << here
                             << "/over.bmp\ntile 0 " << here << "/tile0.bmp\ntile 1 " << here
                             << "/tile1.bmp\nlimite 100\n";

    if (argc > 1) {
        if (chdir(argv[1]) != 0) {
            std::printf("cannot enter %s\n", argv[1]);
            return 1;
        }
    } else {
        if (chdir(folder) != 0) {
            return 1;
        }
        // The score is rendered every frame, so the font belongs in the figure.
        const std::string gameFont = std::string(MOSSLANCE_GAME_DIR) + "/shark.ttf";
        const char* font = access(gameFont.c_str(), R_OK) == 0
                               ? gameFont.c_str()
                               : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
        if (symlink(font, "shark.ttf") != 0) {
            std::printf("no font: the score is not rendered\n");
        }
        const std::string gamePlayer = std::string(MOSSLANCE_GAME_DIR) + "/Player";
        if (symlink(gamePlayer.c_str(), "Player") != 0) {
            std::fprintf(stderr, "no hero to draw\n");
        }
        mkdir("Niveaux", 0755);
        mkdir("Enemies", 0755);
        writePicture("Niveaux/bonus.png", 60, 70,
                     [](int x, int y) { return blob(x, y, 30, 55, 12, 12, 0xffc107); });
        writePicture("Niveaux/reussi.png", 720, 480, [](int x, int y) {
            return std::abs(x - 360) < 180 && std::abs(y - 120) < 50 ? 0xff2196f3u : 0u;
        });
        std::ofstream imga("Enemies/ennemi-01.imga");
        for (int k = 0; k < 4; ++k) {
            const std::string name = "Enemies/ennemi-0" + std::to_string(k) + ".png";
            writePicture(name, 110, 110,
                         [k](int x, int y) { return blob(x, y, 55, 75 + k, 25, 28, 0xd32f2f); });
            imga << "img " << name << "\n";
        }
    }

    Camera camera;
    auto level = std::make_unique<Level>(argc > 2 ? std::string(argv[2]) : levelPath, &camera);
    level->cellsVisible = true;
    std::unique_ptr<Hero> hero;
    std::unique_ptr<Body> body;
    if (access("Player/hero.hr", R_OK) == 0) {
        hero = std::make_unique<Hero>("Player/hero.hr", "machin");
        body = std::make_unique<Body>(level->grid.data(), &camera);
        hero->body = body.get();
    } else {
        std::fprintf(stderr, "no Player/hero.hr: the hero is left out\n");
    }
    constexpr int WarmUp = 30;
    constexpr int Frames = 300;
    fillGrid(*level, WarmUp + Frames + VisibleColumns + 1);
    // Wall time is the figure; the thread's own CPU time beside it tells how
    // much of it other programs on a busy machine took.
    std::vector<double> times, cpuTimes;
    for (int frame = 0; frame < WarmUp + Frames; ++frame) {
        SDL_Surface* screen = SDL_GetVideoSurface();
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
        timespec cpuStart{}, cpuStop{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
        const auto start = std::chrono::steady_clock::now();
        level->runFrame();
        if (hero != nullptr) {
            hero->update();
        }
        const auto stop = std::chrono::steady_clock::now();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStop);
        if (frame >= WarmUp) {
            times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            cpuTimes.push_back((cpuStop.tv_sec - cpuStart.tv_sec) * 1e3 +
                               (cpuStop.tv_nsec - cpuStart.tv_nsec) / 1e6);
        }
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::printf("level_frame_ms %.3f ms\n", times[times.size() / 2]);
    std::printf("level_frame_cpu_ms %.3f ms\n", cpuTimes[cpuTimes.size() / 2]);

    hero.reset();
    body.reset();
    level.reset();
    SDL_Quit();
    std::error_code ignored;
    std::filesystem::remove_all(here, ignored);
    return 0;
}
