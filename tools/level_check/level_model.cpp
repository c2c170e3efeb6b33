// level_model: plays a level many times the way a practised person does, and
// says how many get to the end and past the limit.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cautious_model.h"
#include "play_ends.h"
#include "player_model.h"
#include "practice_run.h"
#include "survival_table.h"
#include "util/keyword_text.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

void printHelp() {
    std::cout
        << "Usage: level_model LEVELFILE [--plays N] [--sigma MS] [--seed S] [--threads T]\n"
           "                   [--limit-share P] [--expect-finish LO HI] [--expect-pass LO HI]\n"
           "                   [--play-log I] [--model planner|cautious] [--practice MIN]\n"
           "\n"
           "Plays LEVELFILE N times (1000) as a practised player would, with the game's own\n"
           "hero and body rules, and prints the share of plays that finish the level (live\n"
           "through the frame over the last column with ground), the share whose score is\n"
           "above the file's \"limite\", and the median and 10th percentile of the time\n"
           "lived (in seconds, 31 ms a frame) and of the score.\n"
           "\n"
           "How the player aims. It sees the screen: the columns from the hero's to the\n"
           "right edge, the next 40 frames, and plays with the game's own rules. Before\n"
           "each key event (a press while the key is up, a release while it is held) it\n"
           "weighs every timing of that event on screen. A timing is safe when, from\n"
           "where it leads, the hero can still live through the last frame on screen\n"
           "with some later keys (worked out exactly from the columns on screen; a hero\n"
           "deeper than every floor counts as lost, a fall that ends off screen as no\n"
           "plan). Its worth is what it gains in bonuses (+50) and loses to enemies\n"
           "(-100) until the hero, back on the ground, would run off it again. A release\n"
           "is comfortable when the hero comes down on screen with room for the next\n"
           "jump. The player aims at the middle of the run of consecutive safe timings\n"
           "worth the most that leaves a margin of 3 sigma (one frame at least) on either\n"
           "side, comfortable ones first; failing that it does nothing while that (or,\n"
           "over a gap, holding on) is safe, and otherwise aims at the middle of the\n"
           "widest safe run. It settles on an aim 3 sigma (3 frames at least) before it\n"
           "and misses it by a Gaussian error of sigma ms; a frame is 31 ms, so the key\n"
           "moves by whole frames. It never releases and presses between the same two\n"
           "frames (no mid-air jumps), and lets go as soon as the hero stands again with\n"
           "the key held. A play begins with the release that the level menu's\n"
           "confirming key leaves for the first frame.\n"
           "\n"
           "With --model cautious it plays as a second kind of practised player: one who\n"
           "does nothing until running on (or holding on) would fall or meet an enemy on\n"
           "screen, then aims at the middle of the widest run of timings that live\n"
           "through the view, never goes after a bonus, and misses by the same error.\n"
           "\n"
           "Then, where the plays that do not finish end (over the column where the hero\n"
           "last stood): \"ends FIRST-LAST N\" for every 500 columns, and \"wall_share S\n"
           "columns FIRST-LAST\", the 100 columns that end the largest share S of plays.\n"
           "\n"
           "Options:\n"
           "  --model M            planner (the player above) or cautious\n"
           "  --plays N            plays (1000); play i uses seed (S, i), so the figures\n"
           "                       are the same on every run\n"
           "  --sigma MS           the player's timing error, a standard deviation (60)\n"
           "  --seed S             the seed of the plays (1)\n"
           "  --threads T          plays at once (the processor count)\n"
           "  --limit-share P      also print \"limite N\": the score a share P of the\n"
           "                       plays is above\n"
           "  --expect-finish LO HI, --expect-pass LO HI\n"
           "                       exit 1 unless the finish (pass) share is within LO..HI\n"
           "  --blocks FILE        also count, for each block (\"NAME DIFFICULTY FIRST LAST\"\n"
           "                       a line, as level_gen writes them), the plays that\n"
           "                       last stood on it before falling out\n"
           "  --practice MIN       practise the level N times instead, as the game's practice\n"
           "                       goes: checkpoints taken by themselves, a fall back to the\n"
           "                       last one; the finish share is then of the practices that\n"
           "                       finish within MIN minutes of play\n"
           "  --play-log I         play only play I (from 0) of the series and print its key\n"
           "                       events, frame by frame, and its score\n"
           "\n"
           "Exits 0, 1 when an expectation fails, 3 on bad arguments or an unreadable file."
        << std::endl;
}

bool parseInt(const char* text, int32_t& value) {
    std::size_t used = 0;
    return text::parseInt32(text, value, &used) && used == std::strlen(text);
}

bool parseShare(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= 0.0 && value <= 1.0;
}

struct Range {
    bool set = false;
    double low = 0.0;
    double high = 1.0;
};

bool within(const char* what, double share, const Range& range) {
    if (!range.set) {
        return true;
    }
    const bool ok = share >= range.low && share <= range.high;
    std::cout << what << " " << (ok ? "within " : "OUTSIDE ") << range.low << ".." << range.high
              << std::endl;
    return ok;
}

// Where the plays that did not finish last stood, block by block.
void printBlockLosses(const std::string& path, const std::vector<PlayResult>& results) {
    std::string text;
    if (!text::readWholeFile(path, text, text::MaxDataFileBytes)) {
        std::cout << "level_model: cannot open " << path << std::endl;
        return;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name;
        int32_t difficulty = 0;
        int32_t first = 0;
        int32_t last = 0;
        if (!(words >> name >> difficulty >> first >> last) || name[0] == '#') {
            continue;
        }
        int32_t lost = 0;
        std::size_t example = 0;
        for (std::size_t i = 0; i < results.size(); ++i) {
            const int32_t column = results[i].lastStanding + HeroColumnOffset;
            if (!results[i].finished && column >= first && column <= last) {
                example = lost++ == 0 ? i : example;
            }
        }
        if (lost > 0) {
            std::cout << "lost " << lost << " in " << name << " " << difficulty << " (columns "
                      << first << "-" << last << "), play " << example << " for one" << std::endl;
        }
    }
}

// N practices instead of N plays: what share finishes within the budget.
template <typename Model>
bool printPractice(const Model& model, const std::vector<int32_t>& grid, int32_t seed,
                   int32_t count, double minutes, int32_t threads, const Range& finishRange) {
    const std::vector<PracticeResult> results = practiseMany(
        model, grid.data(), static_cast<uint64_t>(seed), count, framesInMinutes(minutes), threads);
    int32_t finished = 0;
    std::vector<double> spent;
    std::vector<int32_t> falls;
    for (const PracticeResult& result : results) {
        finished += result.finished ? 1 : 0;
        if (result.finished) {
            spent.push_back(result.framesPlayed * FrameMs / 60000.0);
            falls.push_back(result.falls);
        }
    }
    std::sort(spent.begin(), spent.end());
    std::sort(falls.begin(), falls.end());
    const double share = count > 0 ? static_cast<double>(finished) / count : 0.0;
    char line[200];
    std::snprintf(line, sizeof line, "practices %d within %.0f minutes", count, minutes);
    std::cout << line << std::endl;
    std::snprintf(line, sizeof line, "finish_share %.3f", share);
    std::cout << line << std::endl;
    if (!spent.empty()) {
        std::snprintf(line, sizeof line, "finished_minutes_median %.1f falls_median %d",
                      spent[spent.size() / 2], falls[falls.size() / 2]);
        std::cout << line << std::endl;
    }
    return within("finish_share", share, finishRange);
}

template <typename Model>
PlayResult playOne(const Model& model, int32_t seed, int32_t play) {
    return model.play(playSeed(static_cast<uint64_t>(seed), play));
}

template <typename Model>
std::vector<PlayResult> playAll(const Model& model, int32_t seed, int32_t plays, int32_t threads,
                                int32_t& finishFrame) {
    finishFrame = model.finishFrame();
    return playMany(model, static_cast<uint64_t>(seed), plays, threads);
}

void printPlayLog(const PlayResult& play) {
    for (std::size_t i = 0; i < play.inputs.size(); ++i) {
        if (play.inputs[i] != SpaceInput::Nothing) {
            std::cout << "frame " << i + 1 << " "
                      << (play.inputs[i] == SpaceInput::Press ? "press" : "release") << std::endl;
        }
    }
    std::cout << "frames " << play.frames << std::endl;
    std::cout << "score " << play.score << std::endl;
    std::cout << "finished " << (play.finished ? "yes" : "no") << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    std::string levelPath;
    int32_t plays = 1000;
    int32_t seed = 1;
    int32_t threads = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    int32_t logSeed = -1;
    double limitShare = -1.0;
    std::string blocksPath;
    std::string modelName = "planner";
    double practiceMinutes = 0.0;
    ModelOptions options;
    Range finishRange;
    Range passRange;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        const bool hasValue = i + 1 < argc;
        const bool hasTwo = i + 2 < argc;
        int32_t number = 0;
        if (arg == "--plays" && hasValue && parseInt(argv[i + 1], plays) && plays > 0) {
            ++i;
        } else if (arg == "--sigma" && hasValue && parseInt(argv[i + 1], number) && number >= 0 &&
                   number <= 1000) {
            options.sigmaMs = number;
            ++i;
        } else if (arg == "--seed" && hasValue && parseInt(argv[i + 1], seed) && seed >= 0) {
            ++i;
        } else if (arg == "--threads" && hasValue && parseInt(argv[i + 1], threads) &&
                   threads > 0) {
            ++i;
        } else if (arg == "--play-log" && hasValue && parseInt(argv[i + 1], logSeed) &&
                   logSeed >= 0) {
            ++i;
        } else if (arg == "--model" && hasValue &&
                   (std::strcmp(argv[i + 1], "planner") == 0 ||
                    std::strcmp(argv[i + 1], "cautious") == 0)) {
            modelName = argv[++i];
        } else if (arg == "--practice" && hasValue && parseInt(argv[i + 1], number) && number > 0 &&
                   number <= 600) {
            practiceMinutes = number;
            ++i;
        } else if (arg == "--blocks" && hasValue) {
            blocksPath = argv[++i];
        } else if (arg == "--limit-share" && hasValue && parseShare(argv[i + 1], limitShare)) {
            ++i;
        } else if ((arg == "--expect-finish" || arg == "--expect-pass") && hasTwo) {
            Range& range = arg == "--expect-finish" ? finishRange : passRange;
            if (!parseShare(argv[i + 1], range.low) || !parseShare(argv[i + 2], range.high)) {
                std::cout << "level_model: " << arg << " wants two shares from 0 to 1" << std::endl;
                return 3;
            }
            range.set = true;
            i += 2;
        } else if (!arg.empty() && arg[0] != '-' && levelPath.empty()) {
            levelPath = arg;
        } else {
            std::cout << "level_model: unexpected argument " << arg << std::endl;
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
    if (!readLevelGrid("level_model", levelPath, data, grid)) {
        return 3;
    }

    const auto start = std::chrono::steady_clock::now();
    const SurvivalTable table(grid.data());
    const auto tableDone = std::chrono::steady_clock::now();
    if (logSeed >= 0) {
        const PlayResult play =
            modelName == "cautious"
                ? playOne(CautiousModel(grid.data(), table, options), seed, logSeed)
                : playOne(PlayerModel(grid.data(), table, options), seed, logSeed);
        printPlayLog(play);
        return 0;
    }
    if (practiceMinutes > 0.0) {
        std::cout << "model " << modelName << std::endl;
        std::cout << "sigma_ms " << options.sigmaMs << std::endl;
        const bool ok = modelName == "cautious"
                            ? printPractice(CautiousModel(grid.data(), table, options), grid, seed,
                                            plays, practiceMinutes, threads, finishRange)
                            : printPractice(PlayerModel(grid.data(), table, options), grid, seed,
                                            plays, practiceMinutes, threads, finishRange);
        return ok ? 0 : 1;
    }
    int32_t finishFrame = 0;
    const std::vector<PlayResult> results =
        modelName == "cautious"
            ? playAll(CautiousModel(grid.data(), table, options), seed, plays, threads, finishFrame)
            : playAll(PlayerModel(grid.data(), table, options), seed, plays, threads, finishFrame);
    const auto done = std::chrono::steady_clock::now();
    const int32_t limit = data.hasLimit ? data.limit : INT32_MAX;
    const ModelFigures figures = summarize(results, limit);
    const auto ms = [](auto from, auto to) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
    };
    char line[200];
    std::cout << "model " << modelName << std::endl;
    std::cout << "plays " << figures.plays << std::endl;
    std::cout << "sigma_ms " << options.sigmaMs << std::endl;
    std::snprintf(line, sizeof line, "length_seconds %.1f", finishFrame * FrameMs / 1000);
    std::cout << line << std::endl;
    std::snprintf(line, sizeof line, "finish_share %.3f", figures.finishShare);
    std::cout << line << std::endl;
    if (data.hasLimit) {
        std::snprintf(line, sizeof line, "pass_share %.3f (limite %d)", figures.passShare,
                      data.limit);
        std::cout << line << std::endl;
    }
    std::snprintf(line, sizeof line, "seconds_median %.1f tenth %.1f", figures.medianSeconds,
                  figures.tenthSeconds);
    std::cout << line << std::endl;
    std::cout << "score_median " << figures.medianScore << " tenth " << figures.tenthScore
              << std::endl;
    std::cout << "table_ms " << ms(start, tableDone) << " plays_ms " << ms(tableDone, done)
              << std::endl;
    if (limitShare >= 0.0) {
        std::cout << "limite " << limitPassedBy(results, limitShare) << std::endl;
    }
    std::cout << playEndsText(playEnds(results, lastGroundColumn(grid.data()) + 1)) << std::flush;
    if (!blocksPath.empty()) {
        printBlockLosses(blocksPath, results);
    }
    const bool finishOk = within("finish_share", figures.finishShare, finishRange);
    const bool passOk = within("pass_share", data.hasLimit ? figures.passShare : 0.0, passRange);
    return finishOk && passOk ? 0 : 1;
}
