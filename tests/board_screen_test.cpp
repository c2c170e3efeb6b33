// The world board on the screens: the level menu's lines and C, the board
// screen drawn from a board kept earlier, its highlight and its way back,
// and the name asked for after a first record.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/game.h"
#include "net/board_account.h"
#include "net/board_client.h"
#include "play_fixture.h"
#include "screens/replay_file.h"
#include "screens/settings.h"
#include "test_support.h"

using namespace play;

namespace {

// Nothing listens on the discard port: every fetch fails, and the boards on
// show are those kept in Save/.
constexpr const char* Unreachable = "serveur http://127.0.0.1:9\n";
constexpr int64_t Me = 42;

std::string rowJson(int64_t rank, int64_t player, bool timed = true) {
    return "{\"rank\":" + std::to_string(rank) + ",\"player\":" + std::to_string(player) +
           ",\"name\":\"Joueur " + std::to_string(player) +
           "\",\"score\":" + std::to_string(9000 - rank) +
           ",\"frames\":400,\"at\":\"2026-12-01T10:00:00Z\",\"run\":" + std::to_string(player) +
           ",\"timed\":" + (timed ? "true" : "false") + "}";
}

// Level 0's board as the client keeps it: twelve players on top (the
// second without a ticket), and the player ranked 30th of 40.
void writeKeptBoard() {
    std::string top;
    for (int64_t rank = 1; rank <= 12; ++rank) {
        top += (rank > 1 ? "," : "") + rowJson(rank, 100 + rank, rank != 2);
    }
    std::string around;
    for (int64_t rank = 28; rank <= 32; ++rank) {
        around += (rank > 28 ? "," : "") + rowJson(rank, rank == 30 ? Me : 200 + rank);
    }
    writeFile("Save/tableau-0.txt",
              "date 1796000000000\ntableau {\"level\":0,\"fingerprint\":\"0123456789abcdef\","
              "\"players\":40,\"top\":[" +
                  top + "]}\nautour {\"player\":42,\"rank\":30,\"total\":40,\"entries\":[" +
                  around + "]}\n");
    BoardAccount account;
    account.player = Me;
    account.name = "Joueur 42";
    account.token = "secret-token";
    ASSERT_TRUE(writeBoardAccount(account));
}

// The built game's font, so that the lines are drawn; false without one.
bool copyFont() {
    const std::string font = std::string(MOSSLANCE_GAME_DIR) + "/shark.ttf";
    return fileExists(font) && std::filesystem::copy_file(font, "shark.ttf");
}

// Pixels of (x, y, w, h) that are not `background`.
int inked(SDL_Surface* screen, int x, int y, int w, int h, uint32_t background) {
    int count = 0;
    for (int row = y; row < y + h; ++row) {
        for (int column = x; column < x + w; ++column) {
            count += pixelAt(screen, column, row) != background ? 1 : 0;
        }
    }
    return count;
}

constexpr uint32_t Highlight = 0x4f6e33;
constexpr uint32_t Frame = 0x1f2a1c;

int rowTop(int shown) {
    return PointerKeys::BoardRows.y + shown * PointerKeys::BoardRowHeight;
}

TEST(BoardScreen, DrawsAKeptBoardWithThePlayersLineAndMovesThroughIt) {
    TempDir dir;
    writeFile(SettingsPath, Unreachable);
    writeKeptBoard();
    const bool fonts = copyFont();
    std::unique_ptr<Game> game = startedGame({levelText(150)});
    game->boardLevel = 0;
    game->nextScreen = Screen::WorldBoard;
    game->fillWhite();
    game->drawBoardFrame();

    // Ten on top, then ranks 28 to 32, from the player's own line in view.
    ASSERT_EQ(game->boardList.rows().size(), 15u);
    EXPECT_TRUE(game->boardList.rows()[10].gapBefore);
    ASSERT_NE(game->boardList.highlighted(), nullptr);
    EXPECT_TRUE(game->boardList.highlighted()->mine);
    EXPECT_EQ(game->boardList.highlighted()->line.rank, 30);
    const int shown = game->boardList.highlight() - game->boardList.firstShown();
    EXPECT_EQ(pixelAt(game->screen, 84, rowTop(shown) + 5), Highlight);
    EXPECT_EQ(pixelAt(game->screen, 84, rowTop(shown - 1) + 5), Frame);
    if (fonts) {
        // Rank, name and score on each row in view; the untimed mark's legend.
        for (int row = 0; row < BoardList::VisibleRows; ++row) {
            const uint32_t under = row == shown ? Highlight : Frame;
            EXPECT_GT(inked(game->screen, 90, rowTop(row) + 2, 60, 22, under), 20) << row;
            EXPECT_GT(inked(game->screen, 170, rowTop(row) + 2, 100, 22, under), 20) << row;
            EXPECT_GT(inked(game->screen, 500, rowTop(row) + 2, 60, 22, under), 20) << row;
        }
    }

    // Up moves the highlight a line; a tap on the first row in view goes
    // there and asks for its run; Escape goes back to the level menu.
    pushKey(SDLK_UP, true);
    ASSERT_TRUE(game->pollEvent());
    game->handleBoardEvent();
    game->fillWhite();
    game->drawBoardFrame();
    EXPECT_EQ(pixelAt(game->screen, 84, rowTop(shown - 1) + 5), Highlight);
    EXPECT_EQ(pixelAt(game->screen, 84, rowTop(shown) + 5), Frame);

    std::deque<SDL_Event> taps;
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.button = SDL_BUTTON_LEFT;
    press.button.x = 300;
    press.button.y = static_cast<Uint16>(rowTop(0) + 10);
    SDL_PushEvent(&press);
    while (game->pollEvent()) {
        game->handleBoardEvent();
    }
    EXPECT_EQ(game->boardList.highlight(), game->boardList.firstShown());
    EXPECT_EQ(game->boardWatchRun, game->boardList.highlighted()->line.run);

    pushKey(SDLK_ESCAPE, true);
    game->runNextScreen();
    EXPECT_EQ(game->nextScreen, Screen::LevelMenu);
    EXPECT_EQ(game->levelMenuFirstSelection, 0);
}

TEST(BoardScreen, TheLevelMenuShowsTheWorldLinesAndCOrAShoulderOpensTheBoardOnlyWithAServer) {
    for (const bool server : {true, false}) {
        SCOPED_TRACE(server);
        TempDir dir;
        writeFile(SettingsPath, server ? Unreachable : "");
        writeKeptBoard();
        const bool fonts = copyFont();
        std::unique_ptr<Game> game = startedGame({levelText(150)});
        game->selection = 0;
        game->fillWhite();
        game->drawLevelMenuFrame();
        const SDL_Rect& lines = PointerKeys::LevelMenuBoardLine;
        if (fonts) {
            EXPECT_EQ(inked(game->screen, lines.x, lines.y, lines.w, lines.h, 0xffffff) > 100,
                      server);
        }
        // C, or a pad's shoulder button; what is left waiting is drained.
        for (const bool pad : {false, true}) {
            pad ? pushButton(4, true) : pushKey(SDLK_c, true);
            pushKey(SDLK_ESCAPE, true);
            game->nextScreen = Screen::LevelMenu;
            game->runNextScreen();
            EXPECT_EQ(game->nextScreen, server ? Screen::WorldBoard : Screen::End) << pad;
            pushButton(4, false);
            while (game->pollEvent()) {
            }
        }
    }
}

TEST(BoardScreen, AFirstRecordAsksForANameAndEscapeSaysNoForGood) {
    TempDir dir;
    writeFile(SettingsPath, Unreachable);
    std::unique_ptr<Game> game = startedGame({levelText(400, {{70, WaistRow, FileBonus}})});
    game->startGame(0);
    drawFramesUntilLevelEnds(*game);
    pushKey(SDLK_SPACE, true);  // "Rejouer"
    game->showLevelEnd();
    ASSERT_EQ(game->nextScreen, Screen::NameEntry);

    // Typed as SDL gives it: the key and the character it types.
    for (const Uint16 code : {Uint16{'L'}, Uint16{0xE9}, Uint16{'!'}, Uint16{'a'}}) {
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.keysym.sym = SDLK_a;
        key.key.keysym.unicode = code;
        SDL_PushEvent(&key);
    }
    pushKey(SDLK_BACKSPACE, true);
    pushKey(SDLK_ESCAPE, true);
    game->runNextScreen();
    EXPECT_EQ(game->nameField.text(), "L\xC3\xA9");
    EXPECT_EQ(game->nextScreen, Screen::StartGame);
    EXPECT_TRUE(readBoardAccount().skipped);
    EXPECT_FALSE(game->wantsName());

    // The next record asks no more.
    game->startGame(0);
    game->level->score += 1000;
    drawFramesUntilLevelEnds(*game);
    pushKey(SDLK_SPACE, true);
    game->showLevelEnd();
    EXPECT_EQ(game->nextScreen, Screen::StartGame);
}

}  // namespace
