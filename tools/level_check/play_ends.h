#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player_model.h"

// Where a series of plays ends: each play that does not finish ends over the
// column where its hero last stood (the ground it could not get across).
struct PlayEnds {
    static constexpr int32_t BinColumns = 500;      // the histogram's columns a bar
    static constexpr int32_t StretchColumns = 100;  // a wall's width
    int32_t plays = 0;
    std::vector<int32_t> bins;  // plays that end in columns [500 i, 500 i + 499]
    // The 100 columns that end the most plays, and how many.
    int32_t wallFirst = 0;
    int32_t wallPlays = 0;

    double wallShare() const { return plays > 0 ? static_cast<double>(wallPlays) / plays : 0.0; }
};

// The column a play ends over; -1 for a play that finishes.
int32_t endColumn(const PlayResult& result);

// The histogram, over the level's `columns` columns, and its wall.
PlayEnds playEnds(const std::vector<PlayResult>& results, int32_t columns);

// "ends FIRST-LAST COUNT" a bar, then "wall_share S columns FIRST-LAST", as
// level_model prints them.
std::string playEndsText(const PlayEnds& ends);

// Reads back what playEndsText wrote, from a whole report; other lines are
// skipped. False when the report has no histogram.
bool parsePlayEnds(std::string_view report, PlayEnds& ends);
