#include "screens/replay_loader.h"

#include <iostream>
#include <utility>
#include <vector>

#include "actors/replay_runner.h"
#include "screens/record_store.h"
#include "util/fingerprint.h"
#include "util/keyword_text.h"
#include "util/regular_file.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

void setAside(const std::string& path, const std::string& reason) {
    std::cout << "Le fichier " << path << " " << reason << " : replay mis de cote" << std::endl;
}

// The replay file of `levelIndex`, read and parsed into `read`.
bool readReplay(int32_t levelIndex, int32_t pace, ReplayData& read) {
    const std::string path = replayFileName(levelIndex, pace);
    std::string contents;
    if (!text::readWholeFile(path, contents, MaxReplayFileBytes)) {
        // No file is no record run kept; anything else there is reported.
        if (isRegularFile(path)) {
            setAside(path, "est illisible ou trop grand");
        }
        return false;
    }
    std::string reason;
    if (!parseReplayText(contents, read, reason)) {
        setAside(path, reason);
        return false;
    }
    // A game stopped between the record's write and its run's leaves the
    // last record's run beside the new record: it is not the record's.
    const int32_t record = recordOnFile(recordFilesOf(levelIndex, pace).records);
    if (read.score != record) {
        setAside(path, "est le run du score " + std::to_string(read.score) + ", et non du record " +
                           std::to_string(record));
        return false;
    }
    return true;
}

// The level file at `levelPath` as it starts: its grid and its fingerprint.
bool readLevelGrid(const std::string& levelPath, std::vector<int32_t>& grid,
                   uint64_t& fingerprint) {
    std::string level;
    if (!text::readWholeFile(levelPath, level, MaxLevelFileBytes)) {
        return false;
    }
    grid.assign(GridCells, Empty);
    LevelFileData data;
    parseLevelText(level, data, grid.data());
    fingerprint = fingerprintOf(level);
    return true;
}

bool keepIfItReplays(const std::string& path, const std::string& levelPath,
                     uint64_t levelFingerprint, const int32_t* grid, ReplayData& read,
                     ReplayData& replay) {
    if (levelFingerprint != read.levelFingerprint) {
        setAside(path, "a ete joue sur une autre version du niveau " + levelPath);
        return false;
    }
    std::string reason;
    if (!replayReplays(grid, read, reason)) {
        setAside(path, reason);
        return false;
    }
    replay = std::move(read);
    return true;
}

}  // namespace

bool loadReplay(int32_t levelIndex, const std::string& levelPath, ReplayData& replay,
                int32_t pace) {
    ReplayData read;
    if (!readReplay(levelIndex, pace, read)) {
        return false;
    }
    std::vector<int32_t> grid;
    uint64_t fingerprint = 0;
    if (!readLevelGrid(levelPath, grid, fingerprint)) {
        setAside(replayFileName(levelIndex, pace),
                 "ne peut etre verifie : le niveau " + levelPath + " est illisible");
        return false;
    }
    return keepIfItReplays(replayFileName(levelIndex, pace), levelPath, fingerprint, grid.data(),
                           read, replay);
}

bool loadReplay(int32_t levelIndex, const std::string& levelPath, uint64_t levelFingerprint,
                const int32_t* grid, ReplayData& replay, int32_t pace) {
    ReplayData read;
    return readReplay(levelIndex, pace, read) &&
           keepIfItReplays(replayFileName(levelIndex, pace), levelPath, levelFingerprint, grid,
                           read, replay);
}

bool checkReplay(const std::string& text, const std::string& levelPath, ReplayData& replay,
                 std::string& reason) {
    std::vector<int32_t> grid;
    uint64_t fingerprint = 0;
    if (!readLevelGrid(levelPath, grid, fingerprint)) {
        reason = "le niveau " + levelPath + " est illisible";
        return false;
    }
    return checkReplay(text, fingerprint, grid.data(), replay, reason);
}

bool checkReplay(const std::string& text, uint64_t levelFingerprint, const int32_t* grid,
                 ReplayData& replay, std::string& reason) {
    ReplayData read;
    if (!parseReplayText(text, read, reason)) {
        return false;
    }
    if (levelFingerprint != read.levelFingerprint) {
        reason = "ce run a été joué sur une autre version du niveau";
        return false;
    }
    if (!replayReplays(grid, read, reason)) {
        return false;
    }
    replay = std::move(read);
    return true;
}
