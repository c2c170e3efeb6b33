// Where plays end: the histogram and the wall that the build reports and the
// overview draws, and the report's text read back.

#include "play_ends.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

PlayResult endingOver(int32_t column) {
    PlayResult result;
    result.lastStanding = column - HeroColumnOffset;
    return result;
}

}  // namespace

TEST(PlayEnds, CountsEachPlayWhereItLastStoodAndFindsTheWorstHundredColumns) {
    std::vector<PlayResult> results;
    for (int32_t column : {10, 499, 500, 1210, 1250, 1309, 1310, 2999}) {
        results.push_back(endingOver(column));
    }
    PlayResult finished = endingOver(2990);
    finished.finished = true;
    results.push_back(finished);
    const PlayEnds ends = playEnds(results, 3000);
    EXPECT_EQ(ends.plays, 9);
    EXPECT_EQ(ends.bins, (std::vector<int32_t>{2, 1, 4, 0, 0, 1}));
    // 1210, 1250 and 1309 lie within 100 columns; 1310 is one too far.
    EXPECT_EQ(ends.wallFirst, 1210);
    EXPECT_EQ(ends.wallPlays, 3);

    PlayEnds read;
    ASSERT_TRUE(parsePlayEnds("plays 9\nfinish_share 0.111\n" + playEndsText(ends), read));
    EXPECT_EQ(read.bins, ends.bins);
    EXPECT_EQ(read.wallFirst, ends.wallFirst);
    EXPECT_EQ(read.wallPlays, ends.wallPlays);
}

TEST(PlayEnds, AReportWithoutAHistogramOrWithBrokenLinesGivesNoBars) {
    PlayEnds read;
    EXPECT_FALSE(parsePlayEnds("plays 10\nfinish_share 0.5\n", read));
    // Spans out of the grid, off the 500-column bars, or not numbers are skipped.
    EXPECT_FALSE(
        parsePlayEnds("ends 0-99999999 3\nends 250-749 3\nends x-y 3\nends 0-499 -2\n"
                      "wall_share 2 columns 5-4\n",
                      read));
    EXPECT_EQ(read.wallPlays, 0);
    // A level longer than the grid, and plays ending past its last column.
    const PlayEnds clamped = playEnds({endingOver(20000)}, 20000);
    EXPECT_EQ(clamped.bins.size(), 20u);
    EXPECT_EQ(clamped.bins.back(), 1);
}
