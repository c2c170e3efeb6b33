// Time to load a record run of a whole level: read the replay and the level
// file, check the level's fingerprint, parse both and replay every frame.
//
//   bench-replay_load
//
// The level is made here, with ground under every column so that one run
// lives through all of it (a shipped level's gaps need the level checker to
// find such a run): 1.6 MB as the generator writes it, with platforms,
// bonuses and enemies, and a jump every 25 frames.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "actors/replay_runner.h"
#include "bench_support.h"
#include "screens/records.h"
#include "screens/replay_loader.h"
#include "util/fingerprint.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

std::string makeLevelText() {
    std::string out = "limite 9000\n#Collisions\n";
    out.reserve(out.size() + 2 * GridCells);
    for (int32_t column = 0; column < GridColumns; ++column) {
        for (int32_t row = 0; row < GridRows; ++row) {
            char number = '0';
            if (row == 44) {
                number = '1';
            } else if (row == 36 && column % 70 < 12) {
                number = '4';
            } else if (row == 41 && column % 13 == 0) {
                number = '2';
            } else if (row == 41 && column % 97 == 50) {
                number = '3';
            }
            out += number;
            out += row + 1 == GridRows ? '\n' : ' ';
        }
    }
    return out;
}

// A jump every 25 frames, held for 12, over the whole level; its frames and
// score are what the game's rules make of it.
ReplayData makeRun(const std::string& level) {
    std::vector<int32_t> grid(GridCells, Empty);
    LevelFileData data;
    parseLevelText(level, data, grid.data());
    ReplayData run;
    run.levelFingerprint = fingerprintOf(level);
    run.frames = MaxReplayFrames;
    for (int32_t frame = 10; frame < GridColumns; frame += 25) {
        run.events.push_back({frame, true});
        run.events.push_back({frame + 12, false});
    }
    ReplayRunner runner(grid.data(), &run);
    while (runner.step()) {
    }
    run.frames = runner.frame;
    run.score = runner.score;
    return run;
}

}  // namespace

int main() {
    char folder[] = "/tmp/mosslance-bench-replay-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) {
        std::printf("cannot make a folder to work in\n");
        return 1;
    }
    std::filesystem::create_directories("Save");
    const std::string level = makeLevelText();
    const ReplayData run = makeRun(level);
    std::ofstream("level.lvl", std::ios::binary) << level;
    // A run is kept only beside its record.
    writeRecordFile(0, run.score);
    writeReplayFile(0, run);

    constexpr int Runs = 21;
    std::vector<double> times;
    int32_t frames = 0;
    for (int i = 0; i < Runs; ++i) {
        ReplayData loaded;
        const double start = bench::nowMs();
        const bool kept = loadReplay(0, "level.lvl", loaded);
        times.push_back(bench::nowMs() - start);
        if (!kept || loaded.frames != run.frames) {
            std::printf("the run was not kept\n");
            return 1;
        }
        frames = loaded.frames;
    }
    std::filesystem::remove_all(folder);
    std::printf("replay_frames %d frames\n", frames);
    std::printf("replay_events %zu events\n", run.events.size());
    std::printf("replay_load_ms %.3f ms\n", bench::median(times));
    return 0;
}
