// The Game's side of the world board: a client made from the settings, told
// of level starts and new records, and polled once a frame by the screen
// loop. Without a server address there is no client and nothing is sent.

#include <chrono>
#include <memory>

#include "app/game.h"
#include "net/board_client.h"
#include "screens/replay_file.h"

void Game::startWorldBoard() {
    worldBoard.reset();
    if (isServerUrl(serverUrl)) {
        worldBoard = std::make_unique<BoardClient>(serverUrl);
    }
}

void Game::pollWorldBoard() {
    if (worldBoard) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        worldBoard->poll(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
}

void Game::tellBoardOfStart(int32_t levelIndex) {
    // Practice and watching a record make no run for the board.
    if (worldBoard && !practising && nextScreen != Screen::WatchRecord) {
        worldBoard->levelStarted(levelIndex);
    }
}

void Game::tellBoardOfRecord(int32_t levelIndex, const ReplayData& run) {
    if (worldBoard && !practising) {
        worldBoard->recordMade(levelIndex, pace, replayText(run));
    }
}
