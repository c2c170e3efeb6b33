// The Game's side of the world board: a client made from the settings (in
// the page, from the address that served it), told of level starts and new
// records, and polled once a frame by the screen loop. Without a server
// address there is no client and nothing is sent.

#include <chrono>
#include <memory>

#include "app/game.h"
#include "net/board_client.h"
#include "screens/replay_file.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

namespace {

// The page's own address when its script found a board server there
// (Module.boardServer), "" on a static host.
// clang-format off
EM_JS(int, pageBoardServer, (char* into, int size), {
    const address = typeof Module.boardServer == "string" ? Module.boardServer : "";
    stringToUTF8(address, into, size);
    return lengthBytesUTF8(address);
});
// clang-format on

std::string boardAddress(const std::string&) {
    char address[256] = {};
    const int length = pageBoardServer(address, sizeof address);
    return length < static_cast<int>(sizeof address) ? std::string(address) : std::string();
}

}  // namespace
#else
namespace {

std::string boardAddress(const std::string& settingsServer) {
    return settingsServer;
}

}  // namespace
#endif

void Game::startWorldBoard() {
    worldBoard.reset();
    const std::string address = boardAddress(serverUrl);
    if (isServerUrl(address)) {
        worldBoard = std::make_unique<BoardClient>(address);
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
