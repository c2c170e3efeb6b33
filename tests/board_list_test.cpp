// The world board as its screen lists it: the top ten, the player's own line
// and its neighbours, the highlight and the rows in view; and the line that
// says how the board came.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/board_list.h"

namespace {

BoardRow line(int64_t rank, int64_t player, bool timed = true) {
    BoardRow row;
    row.rank = rank;
    row.player = player;
    row.name = "Joueur " + std::to_string(player);
    row.score = static_cast<int32_t>(10000 - rank);
    row.run = 500 + player;
    row.timed = timed;
    return row;
}

// Ranks first to last, player id = rank + 100.
std::vector<BoardRow> lines(int64_t first, int64_t last) {
    std::vector<BoardRow> made;
    for (int64_t rank = first; rank <= last; ++rank) {
        made.push_back(line(rank, rank + 100));
    }
    return made;
}

std::vector<int64_t> ranksOf(const BoardList& list) {
    std::vector<int64_t> ranks;
    for (const BoardList::Row& row : list.rows()) {
        ranks.push_back(row.line.rank);
    }
    return ranks;
}

TEST(BoardList, ListsTheTopAndThePlayersNeighboursOnce) {
    const struct {
        const char* what;
        int64_t topLast;      // the top holds ranks 1 to topLast
        int64_t aroundFirst;  // the neighbours, 0: not ranked
        int64_t aroundLast;
        int64_t player;
        std::vector<int64_t> ranks;
        int highlight;
        int gapAt;  // the row after left-out ranks, -1: none
    } cases[] = {
        {"no board yet", 0, 0, 0, 0, {}, -1, -1},
        {"a short top, no account", 3, 0, 0, 0, {1, 2, 3}, 0, -1},
        {"the top is cut to ten", 14, 0, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0, -1},
        {"ranked in the top", 14, 1, 5, 103, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2, -1},
        {"ranked just below", 14, 9, 13, 113, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, 12, -1},
        {"ranked far below",
         40,
         23,
         27,
         125,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 23, 24, 25, 26, 27},
         12,
         10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LevelBoard top;
        top.top = lines(1, c.topLast);
        BoardAround around;
        around.entries = lines(c.aroundFirst, c.aroundLast);
        BoardList list;
        list.show(top, c.aroundFirst > 0 ? &around : nullptr, c.player);
        EXPECT_EQ(ranksOf(list), c.ranks);
        EXPECT_EQ(list.highlight(), c.highlight);
        for (std::size_t i = 0; i < list.rows().size(); ++i) {
            EXPECT_EQ(list.rows()[i].gapBefore, static_cast<int>(i) == c.gapAt) << i;
            EXPECT_EQ(list.rows()[i].mine, list.rows()[i].line.player == c.player) << i;
        }
        // The highlighted row is always in view.
        if (c.highlight >= 0) {
            EXPECT_LE(list.firstShown(), list.highlight());
            EXPECT_LT(list.highlight(), list.firstShown() + BoardList::VisibleRows);
        }
    }
}

TEST(BoardList, TheHighlightMovesWithinTheListAndScrollsIt) {
    LevelBoard top;
    top.top = lines(1, 10);
    BoardAround around;
    around.entries = lines(30, 34);
    BoardList list;
    list.show(top, &around, 0);  // not the player's board: from the first row
    ASSERT_EQ(list.rows().size(), 15u);
    list.moveUp();
    EXPECT_EQ(list.highlight(), 0);
    EXPECT_EQ(list.firstShown(), 0);
    for (int i = 0; i < 9; ++i) {
        list.moveDown();
    }
    EXPECT_EQ(list.firstShown(), 0);  // row 9 is the last in view
    list.moveDown();
    EXPECT_EQ(list.highlight(), 10);
    EXPECT_EQ(list.firstShown(), 1);
    for (int i = 0; i < 20; ++i) {
        list.moveDown();
    }
    EXPECT_EQ(list.highlight(), 14);
    EXPECT_EQ(list.firstShown(), 5);
    ASSERT_NE(list.highlighted(), nullptr);
    EXPECT_EQ(list.highlighted()->line.rank, 34);

    // A fresh fetch keeps the highlight on the same player, wherever they
    // are now; one who is gone leaves it on the player's own line.
    LevelBoard moved;
    moved.top = lines(1, 10);
    moved.top.insert(moved.top.begin() + 2, line(3, 134));
    moved.top.resize(10);
    list.show(moved, nullptr, 105);
    EXPECT_EQ(list.highlight(), 2);
    EXPECT_EQ(list.firstShown(), 0);
    list.show(top, nullptr, 105);
    EXPECT_EQ(list.highlight(), 4);
}

TEST(BoardList, TheStateLineTellsAFailureAndTheDateOfTheBoardShownInstead) {
    std::tm day{};
    day.tm_year = 2026 - 1900;
    day.tm_mon = 11;
    day.tm_mday = 9;
    day.tm_hour = 7;
    day.tm_min = 5;
    const struct {
        const std::tm* fetchedAt;
        bool fetching;
        const char* message;
        const char* shown;
    } cases[] = {
        {nullptr, false, "", ""},
        {&day, false, "", ""},
        {nullptr, true, "", "Chargement du classement…"},
        {&day, true, "", ""},  // the board on show stays until the new one comes
        {nullptr, false, "connexion refusée", "Serveur injoignable : connexion refusée"},
        {&day, false, "connexion refusée",
         "Serveur injoignable : classement du 09/12/2026 à 07:05"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(boardStateText(c.fetchedAt, c.fetching, c.message), c.shown);
    }
}

}  // namespace
