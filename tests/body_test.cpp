#include "actors/body.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "world/cell_code.h"

namespace {

// A grid of exactly the level's size, so that any read outside it is caught
// by the sanitizer build.
struct BodyFixture : ::testing::Test {
    std::vector<int32_t> grid = std::vector<int32_t>(GridCells, Empty);
    Camera camera;
    Body body{grid.data(), &camera};

    void put(int32_t column, int32_t row, int32_t code) { grid[cellIndex(column, row)] = code; }
};

TEST_F(BodyFixture, StartsAtItsPostAndReadsColumn31Row25BelowIt) {
    EXPECT_EQ(body.x, 310);
    EXPECT_EQ(body.y, 240);
    EXPECT_EQ(body.verticalSpeed, 0);
    EXPECT_EQ(body.fellOut, 0);

    // A tile one column to the right is not under the body.
    put(32, 25, Tile0);
    body.verticalSpeed = 10;
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.y, 250);

    body.y = 240;
    put(31, 25, Tile0);
    EXPECT_TRUE(body.update());
    EXPECT_EQ(body.gridColumn, 31);
    EXPECT_EQ(body.gridRow, 24);
    EXPECT_EQ(body.y, 240);  // a landing does not move or snap the body
}

TEST_F(BodyFixture, TakesItsCellBeforeTheMove) {
    body.y = 249;
    body.verticalSpeed = 5;
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.y, 254);
    EXPECT_EQ(body.gridRow, 24);  // from y 249, not 254
    camera.row = 3;
    camera.column = 7;
    body.update();
    EXPECT_EQ(body.gridColumn, 38);
    EXPECT_EQ(body.gridRow, 28);
}

TEST_F(BodyFixture, FallsOutOnlyBelowRow500EvenWhenItLands) {
    body.verticalSpeed = 1;
    body.y = 500;
    body.update();
    EXPECT_EQ(body.fellOut, 0);
    EXPECT_EQ(body.y, 501);
    body.update();
    EXPECT_EQ(body.fellOut, 1);

    // The flag comes before the landing test.
    Body landing(grid.data(), &camera);
    landing.y = 505;
    landing.verticalSpeed = 1;
    put(31, 51, Tile0);
    EXPECT_TRUE(landing.update());
    EXPECT_EQ(landing.fellOut, 1);

    // A rising or resting body never falls out.
    Body rising(grid.data(), &camera);
    rising.y = 600;
    rising.verticalSpeed = -1;
    rising.update();
    rising.verticalSpeed = 0;
    rising.update();
    EXPECT_EQ(rising.fellOut, 0);
}

TEST_F(BodyFixture, BonusesLetItThroughEverythingElseNonEmptyCarriesIt) {
    body.verticalSpeed = 10;
    put(31, 25, Bonus);
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.y, 250);

    for (int32_t code : {int32_t{Enemy}, int32_t{Tile0}, int32_t{Tile1}, int32_t{1}, int32_t{-7}}) {
        body.y = 240;
        put(31, 25, code);
        EXPECT_TRUE(body.update()) << "cell code " << code;
        EXPECT_EQ(body.y, 240);
    }
}

TEST_F(BodyFixture, RisesThroughCellsAndStopsAtTheCeiling) {
    put(31, 23, Tile0);
    put(31, 22, Enemy);
    body.verticalSpeed = -10;
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.y, 230);

    body.y = 51;
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.y, 41);  // the test comes before the move
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.y, 41);

    body.y = 50;
    body.update();
    EXPECT_EQ(body.y, 50);
}

TEST_F(BodyFixture, SpeedZeroOnlyTakesTheCell) {
    put(31, 25, Tile0);
    camera.column = 5;
    EXPECT_FALSE(body.update());  // even above solid ground
    EXPECT_EQ(body.y, 240);
    EXPECT_EQ(body.gridColumn, 36);
    EXPECT_EQ(body.gridRow, 24);
    EXPECT_EQ(body.fellOut, 0);
}

TEST_F(BodyFixture, ScrollingAwayTheGroundStartsAFall) {
    put(31, 25, Tile0);
    body.verticalSpeed = 5;
    EXPECT_TRUE(body.update());
    camera.column = 1;  // column 32 under the body now, empty
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.y, 245);
}

TEST_F(BodyFixture, OutsideTheGridReadsEmpty) {
    body.verticalSpeed = 10;
    // Column 31 + 9969 = 10000: one past the last column.
    camera.column = GridColumns - 31;
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.gridColumn, GridColumns);
    EXPECT_EQ(body.y, 250);

    // The last column itself is still read.
    camera.column = GridColumns - 32;
    put(GridColumns - 1, 25, Tile0);
    body.y = 240;
    EXPECT_TRUE(body.update());

    // Row 79: the row below is outside the grid, whatever lies at row 0 of
    // the next column.
    camera.column = 0;
    put(32, 0, Tile0);
    body.y = 790;
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.gridRow, 79);

    // Left of the grid, above it, and a camera at the far end of the range.
    camera.column = -100;
    body.y = 240;
    EXPECT_FALSE(body.update());
    camera.column = 0;
    body.y = -30;
    EXPECT_FALSE(body.update());
    camera.column = std::numeric_limits<int32_t>::max();
    camera.row = std::numeric_limits<int32_t>::max();
    EXPECT_FALSE(body.update());
    EXPECT_EQ(body.gridColumn, std::numeric_limits<int32_t>::max());
}

}  // namespace
