#pragma once

// What the game benchmarks share: medians, a private copy of the game's data
// tree to run in, and a place for the game's own messages to go.

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

inline double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The CPU time this thread has used: unlike the wall clock, it does not grow
// while other programs have the processor, so it shows the work itself on a
// busy machine.
inline double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// A temporary folder that looks like the game's data tree: every entry of
// `gameDir` linked, except "Save", which is copied, so that the saved game
// and the records a benchmark writes never touch the build's own. Removed
// with everything in it when the object goes.
class GameCopy {
  public:
    explicit GameCopy(const std::string& gameDir) {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/mosslance-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return;
        }
        path_ = pattern;
        std::error_code error;
        const fs::path source = fs::absolute(gameDir, error);
        for (const fs::directory_entry& entry : fs::directory_iterator(source, error)) {
            const fs::path name = entry.path().filename();
            if (name == "Save") {
                fs::copy(entry.path(), path_ / name, fs::copy_options::recursive, error);
            } else {
                fs::create_symlink(entry.path(), path_ / name, error);
            }
        }
        fs::create_directories(path_ / "Save", error);
    }
    ~GameCopy() {
        std::error_code error;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, error);
        }
    }
    GameCopy(const GameCopy&) = delete;
    GameCopy& operator=(const GameCopy&) = delete;

    bool ok() const { return !path_.empty(); }
    std::string path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

// One figure, the way bench/run reads it: "name value unit".
inline void printFigure(const char* name, double value, const char* unit) {
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

}  // namespace bench
