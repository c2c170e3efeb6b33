// The world record's run raced as a ghost: fetched while its level is
// highlighted in the level menu, checked on the level, and kept in Save/ so
// that it races without the network too.

#include <string>

#include "app/game.h"
#include "net/board_client.h"
#include "screens/replay_loader.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"

namespace {

std::string worldGhostFile(int32_t levelIndex) {
    return "Save/fantome-monde-" + std::to_string(levelIndex) + ".rpl";
}

}  // namespace

void Game::keepWorldGhost(int32_t levelIndex) {
    if (!worldBoard || !worldGhostChosen || levelIndex < 0 || levelIndex >= MaxRecords ||
        levelIndex >= levelCount) {
        return;
    }
    const BoardClient::RunDownload& download = worldBoard->runDownload();
    // Done, failed, or replaced by the board screen's watch: one try a run
    // and a game, so that a server away is not asked every frame.
    if (worldGhostFetchRun != 0 && (download.run != worldGhostFetchRun || !download.fetching)) {
        const std::size_t at = static_cast<std::size_t>(worldGhostFetchLevel);
        ReplayData checked;
        std::string reason;
        if (download.run == worldGhostFetchRun && !download.replay.empty() &&
            checkReplay(download.replay, levelFiles[at], checked, reason)) {
            writeFileAtomically(worldGhostFile(worldGhostFetchLevel), download.replay);
        }
        worldGhostRuns[at] = worldGhostFetchRun;
        worldGhostFetchRun = 0;
    }
    const BoardClient::Board& board = worldBoard->board(levelIndex);
    const std::size_t at = static_cast<std::size_t>(levelIndex);
    // One download at a time, and the board screen's watch goes first.
    if (board.top.top.empty() || board.top.top[0].run == worldGhostRuns[at] ||
        worldGhostFetchRun != 0 || boardWatchRun != 0 || download.fetching) {
        return;
    }
    worldGhostFetchLevel = levelIndex;
    worldGhostFetchRun = board.top.top[0].run;
    worldBoard->fetchRun(worldGhostFetchRun);
}

void Game::startWorldGhost(int32_t levelIndex) {
    std::string kept;
    ReplayData run;
    std::string reason;
    // Only full-pace runs are on the board; checked again on the level as it
    // is now, which may have changed since.
    if (worldBoard && pace == FullPace && levelIndex >= 0 && levelIndex < MaxRecords &&
        text::readWholeFile(worldGhostFile(levelIndex), kept, MaxReplayFileBytes) &&
        checkReplay(kept, level->fileFingerprint, level->grid.data(), run, reason)) {
        worldGhost.start(level->grid.data(), std::move(run), *hero, true);
    }
}
