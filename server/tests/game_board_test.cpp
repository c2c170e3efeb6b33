// The desktop game and the leaderboard server, end to end: a first record
// played in the Game goes to the server under the name typed on the name
// screen, and the level menu then draws the player's rank.

#include <SDL/SDL.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/game.h"
#include "app/pointer_keys.h"
#include "net/board_account.h"
#include "net/board_client.h"
#include "net/outbox.h"
#include "play_fixture.h"
#include "screens/settings.h"
#include "server_fixture.h"
#include "server_process.h"
#include "test_support.h"
#include "util/regular_file.h"

using namespace server_test;
using namespace play;

namespace {

// Draws `frame` and polls the game's board, as its screen loop does, until
// `done` holds or 10 s have passed on the real clock.
bool pollGameUntil(
    Game& game, const std::function<bool()>& done, const std::function<void()>& frame = [] {}) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        frame();
        game.pollWorldBoard();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A key that types nothing, pressed every 50 ms from another thread while a
// screen runs its own loop: it ends the name screen once the account is
// made. Past `seconds`, a quit instead, for a screen that never ends to fail
// the test rather than hang it.
class KeyNudger {
  public:
    explicit KeyNudger(int seconds)
        : thread_([this, seconds] {
              const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
              while (!stopped_) {
                  if (std::chrono::steady_clock::now() > end) {
                      pushQuit();
                      return;
                  }
                  pushKey(SDLK_RSHIFT);
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          }) {}
    ~KeyNudger() {
        stopped_ = true;
        thread_.join();
    }
    KeyNudger(const KeyNudger&) = delete;
    KeyNudger& operator=(const KeyNudger&) = delete;

  private:
    std::atomic<bool> stopped_{false};
    std::thread thread_;  // last: it uses the member above
};

// A key as SDL gives it with unicode on: the character it types.
void typeCharacter(Uint16 code) {
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_a;
    key.key.keysym.unicode = code;
    SDL_PushEvent(&key);
}

std::vector<uint32_t> pixelsOf(SDL_Surface* screen, const SDL_Rect& area) {
    std::vector<uint32_t> pixels;
    for (int y = area.y; y < area.y + area.h; ++y) {
        for (int x = area.x; x < area.x + area.w; ++x) {
            pixels.push_back(pixelAt(screen, x, y));
        }
    }
    return pixels;
}

TEST(GameAndServer, AFirstRecordGoesUnderTheTypedNameAndTheLevelMenuShowsItsRank) {
    Watchdog watchdog(60);
    const std::string database = freshDatabase(dataTree() + "/game.sqlite");
    ServerProcess server;
    std::string error;
    ASSERT_TRUE(server.start(database, 0, error)) << error;
    TempDir dir;
    writeFile(SettingsPath, "serveur " + server.url() + "\n");
    // The built game's font draws the menu's lines; without one, only their
    // text can be checked.
    const std::string font = std::string(MOSSLANCE_GAME_DIR) + "/shark.ttf";
    const bool fonts = fileExists(font) && std::filesystem::copy_file(font, "shark.ttf");
    // The levels the server knows, to the byte: a run of any other is refused.
    std::unique_ptr<Game> game = startedGame({readFile(dataTree() + "/Niveaux/test-0.lvl"),
                                              readFile(dataTree() + "/Niveaux/test-1.lvl")});
    ASSERT_NE(game->worldBoard, nullptr);

    // Level 0 without a key, its frames drawn straight away. The board is
    // not polled meanwhile: the ticket of the start would come, and the
    // server refuses a run faster than its ticket; an untimed run is ranked.
    game->startGame(0);
    drawFramesUntilLevelEnds(*game);
    ASSERT_TRUE(game->levelEnded);
    const int32_t score = game->level->score;
    pushKey(SDLK_DOWN, true);  // "Menu"
    pushKey(SDLK_SPACE, true);
    game->showLevelEnd();
    ASSERT_EQ(game->nextScreen, Screen::NameEntry);
    ASSERT_EQ(readOutbox().runs.size(), 1u);

    // "Zoé", with a slip taken back, then Enter; the screen's own loop sends
    // the name and polls until the server has made the account.
    for (const Uint16 code : {Uint16{'Z'}, Uint16{'o'}, Uint16{0xE9}, Uint16{'x'}}) {
        typeCharacter(code);
    }
    pushKey(SDLK_BACKSPACE, true);
    pushKey(SDLK_RETURN, true);
    {
        KeyNudger nudger(15);
        game->runNextScreen();
    }
    ASSERT_EQ(game->worldBoard->nameState(), BoardClient::NameState::Created)
        << game->worldBoard->nameMessage();
    EXPECT_EQ(game->nextScreen, Screen::TitleMenu);
    EXPECT_EQ(readBoardAccount().name, "Zo\xC3\xA9");

    // The waiting run goes now that it has a player, and leaves the outbox.
    ASSERT_TRUE(pollGameUntil(*game, [&] { return game->worldBoard->outbox().runs.empty(); }));
    EXPECT_FALSE(isRegularFile(OutboxPath));
    EXPECT_EQ(game->worldBoard->lastVerdictLevel(), 0);
    EXPECT_EQ(game->worldBoard->lastVerdict().rank, 1);

    // The level menu asks the server for the board as it draws, and shows
    // the run the server keeps, and the rank, once it came.
    const auto drawMenu = [&] {
        game->fillWhite();
        game->drawLevelMenuFrame();
    };
    // The rank's line, 23 pixels under the world record's.
    const SDL_Rect keyLine{PointerKeys::LevelMenuBoardLine.x,
                           static_cast<Sint16>(PointerKeys::LevelMenuBoardLine.y + 23),
                           PointerKeys::LevelMenuBoardLine.w, 23};
    game->selection = 0;
    drawMenu();
    EXPECT_EQ(game->menuBoardLines[1].text(), "C : classement");
    const std::vector<uint32_t> unranked = pixelsOf(game->screen, keyLine);
    const BoardClient::Board& board = game->worldBoard->board(0);
    ASSERT_TRUE(pollGameUntil(
        *game, [&] { return board.ranked && !board.fetching; }, drawMenu));
    drawMenu();
    EXPECT_EQ(board.message, "");
    EXPECT_EQ(board.top.top.size(), 1u);
    EXPECT_EQ(game->menuBoardLines[0].text(),
              "Record du monde : Zo\xC3\xA9 " + std::to_string(score));
    EXPECT_EQ(game->menuBoardLines[1].text(), "C : Ton rang : 1 sur 1");
    if (fonts) {
        EXPECT_NE(pixelsOf(game->screen, keyLine), unranked);
    }
}

}  // namespace
