#include "screens/replay_loader.h"

#include <iostream>
#include <utility>
#include <vector>

#include "actors/replay_runner.h"
#include "util/fingerprint.h"
#include "util/keyword_text.h"
#include "util/regular_file.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

void setAside(const std::string& path, const std::string& reason) {
    std::cout << "Le fichier " << path << " " << reason << " : replay mis de cote" << std::endl;
}

}  // namespace

bool loadReplay(int32_t levelIndex, const std::string& levelPath, ReplayData& replay) {
    const std::string path = replayFileName(levelIndex);
    std::string contents;
    if (!text::readWholeFile(path, contents, MaxReplayFileBytes)) {
        // No file is no record run kept; anything else there is reported.
        if (isRegularFile(path)) {
            setAside(path, "est illisible ou trop grand");
        }
        return false;
    }
    ReplayData read;
    std::string reason;
    if (!parseReplayText(contents, read, reason)) {
        setAside(path, reason);
        return false;
    }
    std::string level;
    if (!text::readWholeFile(levelPath, level, MaxLevelFileBytes) ||
        fingerprintOf(level) != read.levelFingerprint) {
        setAside(path, "a ete joue sur une autre version du niveau " + levelPath);
        return false;
    }
    std::vector<int32_t> grid(GridCells, Empty);
    LevelFileData data;
    parseLevelText(level, data, grid.data());
    if (!replayReplays(grid.data(), read, reason)) {
        setAside(path, reason);
        return false;
    }
    replay = std::move(read);
    return true;
}
