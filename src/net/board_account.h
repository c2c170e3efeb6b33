#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The player's place on the world board, kept in "Save/classement.txt", one
// keyword line each:
//
//   joueur 42
//   nom Léa B
//   jeton 3f9c...
//
// or "passe 1" alone when the player chose to play without the board. The
// token is the player's only key to their runs: it is kept here and sent to
// the server, never printed.
constexpr const char* BoardAccountPath = "Save/classement.txt";

struct BoardAccount {
    int64_t player = 0;  // 0: none yet
    std::string name;
    std::string token;
    bool skipped = false;  // the player said no to the board

    bool known() const { return player > 0 && !token.empty(); }
};

// Pure. A file whose player, name or token is missing or unsound reads as no
// account (the player is asked again); unknown lines are passed over.
BoardAccount parseBoardAccountText(std::string_view text);
std::string boardAccountText(const BoardAccount& account);

BoardAccount readBoardAccount(const std::string& path = BoardAccountPath);
// Atomically; false when it could not be written (the old file then stays).
bool writeBoardAccount(const BoardAccount& account, const std::string& path = BoardAccountPath);
