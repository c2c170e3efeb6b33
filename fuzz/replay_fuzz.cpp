// The replay file parser on any bytes: what it accepts is within its limits
// and in order, writes back to a text that parses to the same run, and
// replays on a level without running past its frames.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "actors/replay_runner.h"
#include "screens/replay_file.h"
#include "world/cell_code.h"

namespace {

bool sameRun(const ReplayData& a, const ReplayData& b) {
    if (a.levelFingerprint != b.levelFingerprint || a.score != b.score || a.frames != b.frames ||
        a.events.size() != b.events.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.events.size(); ++i) {
        if (a.events[i].frame != b.events[i].frame || a.events[i].press != b.events[i].press) {
            return false;
        }
    }
    return true;
}

// A floor with a gap, so that runs both fall out and live on.
std::vector<int32_t> makeGrid() {
    std::vector<int32_t> grid(GridCells, Empty);
    for (int32_t column = 0; column < GridColumns; ++column) {
        if (column % 300 < 290) {
            grid[static_cast<std::size_t>(cellIndex(column, 30))] = Tile0;
        }
    }
    return grid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    ReplayData replay;
    std::string reason;
    if (!parseReplayText(text, replay, reason)) {
        if (reason.empty()) {
            std::abort();
        }
        return 0;
    }
    if (replay.frames < 1 || replay.frames > MaxReplayFrames ||
        replay.events.size() > static_cast<std::size_t>(MaxReplayEvents)) {
        std::abort();
    }
    for (std::size_t i = 0; i < replay.events.size(); ++i) {
        const ReplayEvent& event = replay.events[i];
        const bool ordered = i == 0 || event.frame > replay.events[i - 1].frame ||
                             (event.frame == replay.events[i - 1].frame &&
                              event.press != replay.events[i - 1].press);
        if (event.frame < 1 || event.frame > replay.frames || !ordered) {
            std::abort();
        }
    }
    ReplayData again;
    if (!parseReplayText(replayText(replay), again, reason) || !sameRun(replay, again)) {
        std::abort();
    }
    static const std::vector<int32_t> grid = makeGrid();
    ReplayRunner runner(grid.data(), &replay);
    while (runner.step()) {
    }
    if (runner.frame > replay.frames) {
        std::abort();
    }
    return 0;
}
