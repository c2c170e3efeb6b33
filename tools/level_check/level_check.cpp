// level_check: proves that a level can be finished, and finds its best score.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "level_search.h"
#include "util/keyword_text.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

void printHelp() {
    std::cout
        << "Usage: level_check LEVELFILE [--limit-percent P] [--check-limit] [--no-air-jumps]\n"
           "                   [--last-column C] [--run]\n"
           "\n"
           "Reads LEVELFILE with the game's level parser and tries every timing of the\n"
           "space bar, with the game's own hero and body rules, for a run that finishes.\n"
           "\n"
           "Finishing: the level scrolls one column a frame and the hero is over grid\n"
           "column (frame + 31) in frame number `frame` (the first frame is 1, over\n"
           "column 32). A run finishes when it lives through the frame over the last\n"
           "column with ground (anything solid in rows 0 to 47; 9999 at most, frame\n"
           "9968) without falling out, the fell-out test of that frame included. Past\n"
           "that column the hero falls out and the level ends.\n"
           "\n"
           "Score: the play loop's, frame by frame: +1 a frame, +50 for a bonus and -100\n"
           "for an enemy in the cell two rows above the body's cell. The best score is the\n"
           "highest score a finishing run can have after the frame over that column.\n"
           "\n"
           "Inputs: before each frame, the first included, the player may do nothing,\n"
           "press, release, press then release, or release then press. The hero starts as\n"
           "a new game builds it (falling at 10 pixels a frame from y 240); a level\n"
           "started from the menu begins with a release queued, which is one of the\n"
           "choices before frame 1.\n"
           "\n"
           "Mid-air jumps: a release puts the hero on the ground for the rules, so a\n"
           "release then a press within one frame jumps again in the air, and a hero that\n"
           "does it often enough never comes down: with them every level can be finished.\n"
           "--no-air-jumps answers for runs without that trick (it is also much faster);\n"
           "the build checks the shipped levels and sets their limits that way.\n"
           "\n"
           "Options:\n"
           "  --limit-percent P  also print \"limite N\", N being P percent of the best score\n"
           "  --check-limit      fail (exit 2) unless the file's limite is below the best score\n"
           "  --no-air-jumps     forbid \"release then press\" while the hero is off the ground\n"
           "                     (which starts a new jump in mid-air)\n"
           "  --last-column C    finish over column C instead of the last with ground\n"
           "  --run              print the best run's key events, one line per frame used\n"
           "\n"
           "Prints \"finishable yes\" or \"finishable no\", then \"frames N\" (the frames a\n"
           "finishing run lives through: the last column's number less 31) and, for a\n"
           "level that can be\n"
           "finished, \"best_score N\"; otherwise \"furthest_column N\", the last column any\n"
           "run was over at the end of a frame without falling out. Exits 0 when the level\n"
           "can be finished, 1 when it cannot, 2 on a limit that cannot be passed (with\n"
           "--check-limit), 3 on bad arguments or an unreadable file."
        << std::endl;
}

const char* inputName(SpaceInput input) {
    switch (input) {
        case SpaceInput::Nothing:
            return "nothing";
        case SpaceInput::Press:
            return "press";
        case SpaceInput::Release:
            return "release";
        case SpaceInput::PressRelease:
            return "press-release";
        case SpaceInput::ReleasePress:
            return "release-press";
    }
    return "?";
}

bool parseNumberArgument(const char* text, int32_t& value) {
    std::size_t used = 0;
    return text::parseInt32(text, value, &used) && used == std::strlen(text);
}

}  // namespace

int main(int argc, char** argv) {
    std::string levelPath;
    int32_t limitPercent = -1;
    bool checkLimit = false;
    bool printRun = false;
    SearchOptions options;
    bool lastColumnGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--limit-percent" && i + 1 < argc) {
            if (!parseNumberArgument(argv[++i], limitPercent) || limitPercent < 0 ||
                limitPercent > 100) {
                std::cout << "level_check: --limit-percent wants a number from 0 to 100"
                          << std::endl;
                return 3;
            }
        } else if (arg == "--last-column" && i + 1 < argc) {
            if (!parseNumberArgument(argv[++i], options.lastColumn) ||
                options.lastColumn <= HeroColumnOffset || options.lastColumn >= GridColumns) {
                std::cout << "level_check: --last-column wants a column from 32 to 9999"
                          << std::endl;
                return 3;
            }
            lastColumnGiven = true;
        } else if (arg == "--check-limit") {
            checkLimit = true;
        } else if (arg == "--no-air-jumps") {
            options.airJumps = false;
        } else if (arg == "--run") {
            printRun = true;
        } else if (!arg.empty() && arg[0] != '-' && levelPath.empty()) {
            levelPath = arg;
        } else {
            std::cout << "level_check: unexpected argument " << arg << std::endl;
            printHelp();
            return 3;
        }
    }
    if (levelPath.empty()) {
        printHelp();
        return 3;
    }

    LevelFileData data;
    std::vector<int32_t> grid;
    if (!readLevelGrid("level_check", levelPath, data, grid)) {
        return 3;
    }

    if (!lastColumnGiven) {
        // A level is as long as its ground: past it the hero falls out.
        options.lastColumn = std::max(HeroColumnOffset + 1, lastGroundColumn(grid.data()));
    }
    options.keepRun = printRun;
    const auto start = std::chrono::steady_clock::now();
    const SearchResult result = searchLevel(grid.data(), options);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);

    std::cout << "finishable " << (result.finishable ? "yes" : "no") << std::endl;
    std::cout << "frames " << result.frames << std::endl;
    if (result.finishable) {
        std::cout << "best_score " << result.bestScore << std::endl;
    } else {
        std::cout << "furthest_column " << result.framesSurvived + HeroColumnOffset << std::endl;
    }
    std::cout << "states_stepped " << result.statesVisited << std::endl;
    std::cout << "widest_frame " << result.widestFrame << std::endl;
    std::cout << "search_ms " << elapsed.count() << std::endl;
    if (data.hasLimit) {
        std::cout << "limite_in_file " << data.limit << std::endl;
    }
    if (result.finishable && limitPercent >= 0) {
        const int64_t limit = int64_t{result.bestScore} * limitPercent / 100;
        std::cout << "limite " << limit << std::endl;
    }
    if (printRun && result.finishable) {
        const std::vector<RunFrame> run = replayRun(grid.data(), result.bestInputs);
        for (const RunFrame& frame : run) {
            if (frame.input != SpaceInput::Nothing) {
                std::cout << "run frame " << frame.column - HeroColumnOffset << " column "
                          << frame.column << " " << inputName(frame.input) << " score "
                          << frame.score << std::endl;
            }
        }
    }
    if (!result.finishable) {
        return 1;
    }
    if (checkLimit) {
        if (!data.hasLimit) {
            std::cout << "limit_reachable no (the file has no limite line)" << std::endl;
            return 2;
        }
        const bool reachable = data.limit < result.bestScore;
        std::cout << "limit_reachable " << (reachable ? "yes" : "no") << std::endl;
        if (!reachable) {
            return 2;
        }
    }
    return 0;
}
