#include "world/level_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "world/cell_code.h"

namespace {

using Grid = std::vector<int32_t>;

// A varied file number (0..4) for every cell, so that a misplaced number shows.
int32_t patternNumber(int32_t index) {
    return (index * 7 + index / 80) % 5;
}

int32_t codeOf(int32_t number) {
    return number == 0 ? Empty : number + 1;
}

// The cell section of the pattern: `perLine` numbers a line, `count` numbers.
std::string patternCells(int32_t perLine, int32_t count = GridCells, const char* lineEnd = "\n") {
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 2 + 16);
    for (int32_t i = 0; i < count; ++i) {
        out += static_cast<char>('0' + patternNumber(i));
        out += (i + 1) % perLine == 0 ? lineEnd : " ";
    }
    return out;
}

Grid parse(const std::string& text, LevelFileData& data, int32_t fill = Empty) {
    Grid grid(GridCells, fill);
    parseLevelText(text, data, grid.data());
    return grid;
}

Grid parse(const std::string& text, int32_t fill = Empty) {
    LevelFileData data;
    return parse(text, data, fill);
}

}  // namespace

TEST(LevelFile, FillsTheGridColumnByColumnWhateverTheLineLayout) {
    const Grid byColumnLines = parse("#Collisions\n" + patternCells(GridRows));
    const Grid onePerLine = parse("#Collisions\n" + patternCells(1));
    const Grid oddLines = parse("#Collisions\n" + patternCells(13));
    for (int32_t index = 0; index < GridCells; ++index) {
        ASSERT_EQ(byColumnLines[index], codeOf(patternNumber(index))) << index;
    }
    EXPECT_EQ(onePerLine, byColumnLines);
    EXPECT_EQ(oddLines, byColumnLines);
    // Column 3, row 5 is the 3 * 80 + 6th number.
    EXPECT_EQ(byColumnLines[cellIndex(3, 5)], codeOf(patternNumber(3 * 80 + 5)));
}

TEST(LevelFile, CarriageReturnLineEndsReadLikeLineFeeds) {
    const std::string keywords = "img 1 back.png\nimg 2 over.png\ntile 0 t0.png\nlimite 40\n";
    std::string crlf;
    for (char c : keywords) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    LevelFileData lf, crlfData;
    const Grid a = parse(keywords + "#Collisions\n" + patternCells(GridRows), lf);
    const Grid b =
        parse(crlf + "#Collisions\r\n" + patternCells(GridRows, GridCells, "\r\n"), crlfData);
    EXPECT_EQ(a, b);
    EXPECT_EQ(crlfData.backgroundPath, "back.png");
    EXPECT_EQ(crlfData.overlayPath, "over.png");
    EXPECT_EQ(crlfData.tile0Path, "t0.png");
    EXPECT_TRUE(crlfData.hasLimit);
    EXPECT_EQ(crlfData.limit, 40);
}

TEST(LevelFile, KeywordsAreWholeCaseSensitiveWordsAndLaterLinesOverwrite) {
    LevelFileData data;
    parse(
        "Img 1 capital.png\n"
        "img 1 back.png extra words\n"
        "img 3 extra.png\n"
        "img 4 nothing.png\n"
        "img1 glued.png\n"
        "tile 1 t1.png\n"
        "tile 2 nothing.png\n"
        "tile 0\n"
        "hero 50\n"
        "LIMITE 99\n"
        "limite 10\n"
        "limite -25\n"
        "limite abc\n"
        "  # a comment line\n",
        data);
    EXPECT_EQ(data.backgroundPath, "back.png");
    EXPECT_EQ(data.extraImagePath, "extra.png");
    EXPECT_EQ(data.overlayPath, "");
    EXPECT_EQ(data.tile0Path, "");
    EXPECT_EQ(data.tile1Path, "t1.png");
    EXPECT_TRUE(data.hasLimit);
    EXPECT_EQ(data.limit, -25);

    LevelFileData none;
    const Grid grid = parse("limite\nlimite 99999999999\n#collisions\n1 1 1\n", none);
    EXPECT_FALSE(none.hasLimit);
    EXPECT_EQ(grid, Grid(GridCells, Empty));
}

TEST(LevelFile, NumbersOutsideTheTableLeaveTheirCell) {
    // 7, -1 and 12 keep the prefilled Tile1; "+3" is an ordinary 3.
    std::string cells = "7 -1 12 +3 0 1\n";
    cells += patternCells(1, GridCells - 6);
    const Grid grid = parse("#Collisions\n" + cells, Tile1);
    EXPECT_EQ(grid[0], Tile1);
    EXPECT_EQ(grid[1], Tile1);
    EXPECT_EQ(grid[2], Tile1);
    EXPECT_EQ(grid[3], Enemy);
    EXPECT_EQ(grid[4], Empty);
    EXPECT_EQ(grid[5], Tile0);
    EXPECT_EQ(grid[6], codeOf(patternNumber(0)));
}

TEST(LevelFile, AnEarlyEndRepeatsTheLastNumberAndStopsReading) {
    // 799,999 numbers ending in 1: the last cell repeats the 1.
    std::string cells = std::string(2 * (GridCells - 2), ' ');
    for (int32_t i = 0; i < GridCells - 2; ++i) {
        cells[2 * i] = '0';
    }
    Grid grid = parse("#Collisions\n" + cells + "1\n");
    EXPECT_EQ(grid[GridCells - 2], Tile0);
    EXPECT_EQ(grid[GridCells - 1], Tile0);
    EXPECT_EQ(grid[GridCells - 3], Empty);

    // Text that is no number, and a number too large for 32 bits, both end
    // the section: every remaining cell gets the last number (here a 4), and
    // the keyword lines after it are never read.
    for (const char* stopper : {"x", "99999999999", "-", "4,"}) {
        LevelFileData data;
        grid = parse(std::string("#Collisions\n0 2 4 ") + stopper + " 1 1\nlimite 5\n", data);
        EXPECT_EQ(grid[0], Empty) << stopper;
        EXPECT_EQ(grid[1], Bonus) << stopper;
        EXPECT_EQ(grid[2], Tile1) << stopper;
        EXPECT_EQ(grid[3], Tile1) << stopper;
        EXPECT_EQ(grid[GridCells - 1], Tile1) << stopper;
        EXPECT_FALSE(data.hasLimit) << stopper;
    }

    // The last number read was out of range: the rest keep their content.
    grid = parse("#Collisions\n1 9\n", Bonus);
    EXPECT_EQ(grid[0], Tile0);
    EXPECT_EQ(grid[1], Bonus);
    EXPECT_EQ(grid[GridCells - 1], Bonus);

    // Not a single number: nothing changes; neither does a missing section end.
    EXPECT_EQ(parse("#Collisions\nabc 1 1\n", Bonus), Grid(GridCells, Bonus));
    EXPECT_EQ(parse("#Collisions", Bonus), Grid(GridCells, Bonus));
}

TEST(LevelFile, KeywordLinesAfterTheCellsAreRead) {
    // The rest of the 800,000th number's line is the next line read.
    std::string cells = patternCells(GridRows);
    cells.back() = ' ';
    LevelFileData data;
    const Grid grid = parse("limite 1\n#Collisions trailing words\n" + cells +
                                "limite 7\ntile 0 late.png\n#Collisions\n4 4\n",
                            data);
    EXPECT_EQ(data.limit, 7);
    EXPECT_EQ(data.tile0Path, "late.png");
    // A second section starts again at column 0 and ends early on its 4.
    EXPECT_EQ(grid[0], Tile1);
    EXPECT_EQ(grid[GridCells - 1], Tile1);
}

TEST(LevelFile, AnOnlyCollisionsFileOfZerosGivesAnEmptyLevel) {
    LevelFileData data;
    std::string zeros;
    for (int32_t i = 0; i < GridCells; ++i) {
        zeros += "0\n";
    }
    EXPECT_EQ(parse("#Collisions\n" + zeros, data, Tile0), Grid(GridCells, Empty));
    EXPECT_TRUE(data.backgroundPath.empty() && data.overlayPath.empty() &&
                data.extraImagePath.empty() && data.tile0Path.empty() && data.tile1Path.empty());
}
