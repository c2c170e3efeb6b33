#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "net/board_answers.h"

// The lines of a level's world board as the board screen lists them: the
// top ten, then the player's own line and those around it when they rank
// lower, with the highlight the arrow keys move and the window of rows that
// fits on the screen. Pure: no SDL, no network.
class BoardList {
  public:
    static constexpr std::size_t TopRows = 10;
    static constexpr int VisibleRows = 10;

    struct Row {
        BoardRow line;
        bool mine = false;       // the player's own line
        bool gapBefore = false;  // ranks were left out just above it
    };

    // Lists `top` and, when the player is ranked (`around` not null), their
    // neighbours; `player` is the player's id (0: no account). The highlight
    // stays on the same player's line when it is still listed, else it goes
    // to the player's own line, else to the first.
    void show(const LevelBoard& top, const BoardAround* around, int64_t player);

    void moveUp();
    void moveDown();

    const std::vector<Row>& rows() const { return rows_; }
    int highlight() const { return highlight_; }  // -1 when the list is empty
    int firstShown() const { return first_; }
    // The highlighted row, or null when the list is empty.
    const Row* highlighted() const;
    // Some line was run without a ticket (its time was not kept by the server).
    bool anyUntimed() const;

  private:
    void keepInView();

    std::vector<Row> rows_;
    int highlight_ = -1;
    int first_ = 0;
};

// The board screen's line on how the board came: "" when it is fresh, a
// wait, the server's failure and, when an older board is shown instead, the
// day and time it was fetched (`fetchedAt`, null when it never was).
std::string boardStateText(const std::tm* fetchedAt, bool fetching, const std::string& message);
