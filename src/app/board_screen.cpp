// A level's world board: the level menu's lines of it, and its own screen,
// where the ranked runs can be watched as the record run is.

#include <SDL/SDL.h>

#include <ctime>
#include <string>

#include "app/game.h"
#include "net/board_client.h"
#include "screens/replay_loader.h"

namespace {

// A fetch of a level's board at most this often from the level menu.
constexpr uint32_t BoardRefreshMs = 10000;

// Where the board screen draws its rows and lines.
constexpr int RowsTop = PointerKeys::BoardRows.y;
constexpr int RowHeight = PointerKeys::BoardRowHeight;
static_assert(PointerKeys::BoardRows.h == BoardList::VisibleRows * RowHeight,
              "a tap finds the row drawn under it");
constexpr int RankRight = 150;
constexpr int NameLeft = 170;
constexpr int ScoreRight = 560;
constexpr int MarkLeft = 568;

std::string rankText(int64_t rank, int64_t total) {
    return "Ton rang : " + std::to_string(rank) + " sur " + std::to_string(total);
}

}  // namespace

void Game::askBoardOf(int32_t levelIndex, bool now) {
    if (!worldBoard || levelIndex < 0 || levelIndex >= MaxRecords) {
        return;
    }
    const uint32_t ticks = SDL_GetTicks();
    uint32_t& asked = boardAskedAt[static_cast<std::size_t>(levelIndex)];
    // A board that came before the player's run was ranked is fetched again
    // at once, so that the new rank shows.
    const BoardClient::Board& board = worldBoard->board(levelIndex);
    if (board.fetching || (!now && !board.stale && asked != 0 && ticks - asked < BoardRefreshMs)) {
        return;
    }
    asked = ticks == 0 ? 1 : ticks;
    worldBoard->fetchBoard(levelIndex);
}

// Under the lines of practice and pace: the world record of the highlighted
// level and the player's rank there, which open the board (C).
void Game::drawMenuBoardLines() {
    if (!worldBoard || selection < 0 || selection >= MaxRecords) {
        return;
    }
    askBoardOf(selection, false);
    keepWorldGhost(selection);
    const BoardClient::Board& board = worldBoard->board(selection);
    std::string record = "Record du monde : ";
    if (!board.top.top.empty()) {
        record += board.top.top[0].name + " " + std::to_string(board.top.top[0].score);
    } else if (board.fetchedMs > 0) {
        record += "aucun";
    } else {
        record += board.message.empty() ? "…" : "injoignable";
    }
    const std::string keyLine =
        board.ranked ? "C : " + rankText(board.around.rank, board.around.total) : "C : classement";
    menuBoardLines[0].render(boardFont.get(), record, OutlinedLabel::Cream, 2);
    menuBoardLines[1].render(boardFont.get(), keyLine, OutlinedLabel::Gold, 2);
    menuBoardLines[0].draw(PointerKeys::LevelMenuBoardLine.x + 8,
                           PointerKeys::LevelMenuBoardLine.y);
    menuBoardLines[1].draw(PointerKeys::LevelMenuBoardLine.x + 8,
                           PointerKeys::LevelMenuBoardLine.y + 23);
}

void Game::showWorldBoard() {
    if (!worldBoard) {
        nextScreen = Screen::LevelMenu;
        return;
    }
    boardListedMs = -1;  // listed again, on the same line as before a watch
    boardWatchRun = 0;
    boardNote.clear();
    nameAsked = false;
    watchedRun = ReplayData{};
    askBoardOf(boardLevel, true);
    running = true;
    runScreenLoop([this] { handleBoardEvent(); }, [this] { drawBoardFrame(); });
    levelMenuFirstSelection = boardLevel;
    if (event.type == SDL_QUIT) {
        nextScreen = Screen::End;
    } else if (watchedRun.frames > 0) {
        nextScreen = Screen::WatchRecord;
        nextLevelIndex = boardLevel;
        watchReturn = Screen::WorldBoard;
    } else if (nameAsked) {
        nextScreen = Screen::NameEntry;
        nameThen = Screen::WorldBoard;
    } else {
        nextScreen = Screen::LevelMenu;
    }
}

void Game::handleBoardEvent() {
    if (event.type == SDL_QUIT) {
        running = false;
        return;
    }
    if (event.type != SDL_KEYDOWN) {
        return;
    }
    const BoardList::Row* row = boardList.highlighted();
    switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
            running = false;
            break;
        case SDLK_UP:
        case SDLK_DOWN:
            FSOUND_PlaySound(FSOUND_FREE, menuSample.get());
            if (event.key.keysym.sym == SDLK_UP) {
                boardList.moveUp();
            } else {
                boardList.moveDown();
            }
            break;
        case SDLK_SPACE:
            if (row != nullptr && row->line.run > 0) {
                FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
                worldBoard->fetchRun(row->line.run);
                boardWatchRun = row->line.run;
                watchTitle = std::to_string(row->line.rank) + ". " + row->line.name;
                boardNote = "Chargement du run…";
            }
            break;
        case SDLK_n:
            if (!worldBoard->account().known()) {
                FSOUND_PlaySound(FSOUND_FREE, confirmSample.get());
                nameAsked = true;
                running = false;
            }
            break;
        default:
            break;
    }
}

// The list follows the board as fetches come in.
void Game::listBoard() {
    const BoardClient::Board& board = worldBoard->board(boardLevel);
    if (board.fetchedMs == boardListedMs && board.ranked == boardListedRanked) {
        return;
    }
    boardListedMs = board.fetchedMs;
    boardListedRanked = board.ranked;
    boardList.show(board.top, board.ranked ? &board.around : nullptr, worldBoard->account().player);
}

// The run asked for, once it came: checked on the level as a record run is
// before it is watched.
void Game::takeWatchedDownload() {
    const BoardClient::RunDownload& download = worldBoard->runDownload();
    if (boardWatchRun == 0 || download.run != boardWatchRun || download.fetching) {
        return;
    }
    boardWatchRun = 0;
    if (!download.message.empty()) {
        boardNote = "Run introuvable : " + download.message;
        return;
    }
    std::string reason;
    const bool playable = boardLevel >= 0 && boardLevel < levelCount && boardLevel < MaxLevelFiles;
    if (!playable || !checkReplay(download.replay, levelFiles[static_cast<std::size_t>(boardLevel)],
                                  watchedRun, reason)) {
        boardNote = "Run refusé : " + (playable ? reason : "niveau absent");
        return;
    }
    boardNote.clear();
    running = false;
}

void Game::drawPanel() {
    if (screen == nullptr) {
        return;
    }
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0x2b, 0x3a, 0x25));
    SDL_Rect frame{70, 52, 580, static_cast<Uint16>(BoardList::VisibleRows * RowHeight + 20)};
    SDL_FillRect(screen, &frame, SDL_MapRGB(screen->format, 0x1f, 0x2a, 0x1c));
}

void Game::drawBoardFrame() {
    drawPanel();
    if (!worldBoard) {
        return;
    }
    listBoard();
    takeWatchedDownload();
    const BoardClient::Board& board = worldBoard->board(boardLevel);
    boardLines[0].render(smallFont.get(),
                         "Classement du monde · niveau " + std::to_string(boardLevel + 1),
                         OutlinedLabel::Gold, 2);
    boardLines[0].draw(360, 12, true);
    drawBoardRows();

    std::time_t fetched = static_cast<std::time_t>(board.fetchedMs / 1000);
    std::tm fetchedAt{};
    const bool dated = board.fetchedMs > 0 && localtime_r(&fetched, &fetchedAt) != nullptr;
    std::string state = boardStateText(dated ? &fetchedAt : nullptr, board.fetching, board.message);
    if (state.empty() && board.fetchedMs > 0 && boardList.rows().empty()) {
        state = "Personne n'a encore fini ce niveau";
    }
    if (!boardNote.empty()) {
        state = boardNote;
    } else if (state.empty() && board.ranked) {
        state = rankText(board.around.rank, board.around.total);
    }
    const int below = RowsTop + BoardList::VisibleRows * RowHeight + 14;
    boardLines[1].render(boardFont.get(), boardList.anyUntimed() ? "* non chronométré" : "",
                         OutlinedLabel::Cream, 2);
    boardLines[1].draw(650 - boardLines[1].width(), below);
    boardLines[2].render(boardFont.get(), state, OutlinedLabel::Cream, 2);
    boardLines[2].draw(360, below + 30, true);
    boardLines[3].render(boardFont.get(), "↑ ↓ : choisir    Espace : voir le run    Échap : retour",
                         OutlinedLabel::Gold, 2);
    boardLines[3].draw(360, PointerKeys::BoardKeyLines[0].y, true);
    boardLines[4].render(boardFont.get(), worldBoard->account().known() ? "" : "N : choisir un nom",
                         OutlinedLabel::Gold, 2);
    boardLines[4].draw(360, PointerKeys::BoardKeyLines[1].y, true);
}

void Game::drawBoardRows() {
    const std::vector<BoardList::Row>& rows = boardList.rows();
    for (int shown = 0; shown < BoardList::VisibleRows; ++shown) {
        OutlinedLabel* labels = &boardRowLabels[static_cast<std::size_t>(shown) * 4];
        const int index = boardList.firstShown() + shown;
        if (index < 0 || index >= static_cast<int>(rows.size())) {
            continue;
        }
        const BoardList::Row& row = rows[static_cast<std::size_t>(index)];
        const int top = RowsTop + shown * RowHeight;
        if (index == boardList.highlight() && screen != nullptr) {
            SDL_Rect bar{80, static_cast<Sint16>(top), 560, RowHeight - 1};
            SDL_FillRect(screen, &bar, SDL_MapRGB(screen->format, 0x4f, 0x6e, 0x33));
        }
        if (row.gapBefore && screen != nullptr) {
            for (int dot = 0; dot < 3; ++dot) {
                SDL_Rect mark{static_cast<Sint16>(RankRight - 24 + dot * 8),
                              static_cast<Sint16>(top - 2), 3, 3};
                SDL_FillRect(screen, &mark, SDL_MapRGB(screen->format, 0xfb, 0xf6, 0xe4));
            }
        }
        const SDL_Color ink = row.mine ? OutlinedLabel::Gold : OutlinedLabel::Cream;
        labels[0].render(boardFont.get(), std::to_string(row.line.rank) + ".", ink, 2);
        labels[1].render(boardFont.get(), row.line.name, ink, 2);
        labels[2].render(boardFont.get(), std::to_string(row.line.score), ink, 2);
        labels[3].render(boardFont.get(), row.line.timed ? "" : "*", ink, 2);
        labels[0].draw(RankRight - labels[0].width(), top);
        labels[1].draw(NameLeft, top);
        labels[2].draw(ScoreRight - labels[2].width(), top);
        labels[3].draw(MarkLeft, top);
    }
}
