// A level whose floor runs to the grid's last column, played past it: the
// view and the hero's body then look at columns the grid does not have.
// Those must read as empty (drawn as nothing, fallen through), never as
// whatever memory lies beyond the grid.

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "app/game.h"
#include "play_fixture.h"
#include "test_support.h"

using namespace play;

namespace {

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t TileColour = 0xC03020;

// The screen x of the middle of the floor cell in screen column `i`.
int floorPixelX(int i) {
    return i * CellSize + CellSize / 2;
}
constexpr int FloorPixelY = FloorRow * CellSize + CellSize / 2;

TEST(GridEdge, TheBodyWalksOffTheLastColumnAndFallsOut) {
    // The grid alone, exactly as large as the level's, on the heap: a look
    // one cell past its end is an AddressSanitizer report.
    std::unique_ptr<int32_t[]> grid(new int32_t[GridCells]());
    for (int32_t column = 0; column < GridColumns; ++column) {
        grid[cellIndex(column, FloorRow)] = Tile0;
    }
    Camera camera;
    Body body(grid.get(), &camera);
    HeroMotion motion;

    int frame = 0;
    int lastFrameOnTheFloor = -1;
    while (body.fellOut == 0 && frame < GridColumns + 1000) {
        ++frame;
        camera.column += 1;  // the level scrolls before the hero moves
        motion.step(body);
        if (body.y == StandingRow * CellSize) {
            lastFrameOnTheFloor = frame;
        }
    }
    ASSERT_EQ(body.fellOut, 1);
    // The hero stands on the floor up to the last column, and then falls.
    EXPECT_EQ(lastFrameOnTheFloor, frameAtColumn(GridColumns) - 1);
    EXPECT_EQ(frame, framesToFallOut(GridColumns, 10));
    EXPECT_GE(body.gridColumn, GridColumns);
}

class GridEdgeGame : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        writeCommonData();
        writeSolidImage("tile0.bmp", CellSize, CellSize, TileColour);
        writeFile("Niveaux/test-0.lvl", "tile 0 tile0.bmp\n" + levelText(GridColumns));
        game = std::make_unique<Game>(GameFlow::StartupOnly);
        ASSERT_FALSE(game->startupFailed);
        game->levelFiles[0] = "Niveaux/test-0.lvl";
        game->startGame(0);
        ASSERT_EQ(game->nextScreen, Screen::PlayLevel);
        ASSERT_TRUE(game->level->tile0Image != nullptr);
        game->running = true;
        game->levelEnded = false;
    }

    // Draws play frames until the camera shows column `column` at the left,
    // or until the level ends if `stopAtTheEnd`.
    void playUntilColumn(int32_t column, bool stopAtTheEnd = true) {
        while (game->camera.column < column && !(stopAtTheEnd && game->levelEnded)) {
            game->fillWhite();
            game->drawPlayFrame();
            ++frames;
        }
    }

    // True when screen column `i` shows a floor tile.
    bool floorDrawnAt(int i) {
        return pixelAt(game->screen, floorPixelX(i), FloorPixelY) == TileColour;
    }

    TempDir dir;
    std::unique_ptr<Game> game;
    int frames = 0;
};

TEST_F(GridEdgeGame, ColumnsPastTheGridAreEmptyOnScreenAndUnderfoot) {
    // The last 30 columns of the grid at the left of the view, and 42
    // columns that do not exist to their right.
    const int32_t firstShown = GridColumns - 30;
    playUntilColumn(firstShown);
    ASSERT_FALSE(game->levelEnded);
    for (int i = 0; i < VisibleColumns; ++i) {
        SCOPED_TRACE(testing::Message() << "screen column " << i);
        EXPECT_EQ(floorDrawnAt(i), firstShown + i < GridColumns);
    }
    EXPECT_EQ(pixelAt(game->screen, floorPixelX(50), FloorPixelY), White);

    // The hero walks off the last column and falls out of the level.
    playUntilColumn(GridColumns + 100);
    EXPECT_TRUE(game->levelEnded);
    EXPECT_EQ(frames, framesToFallOut(GridColumns, 10));
    EXPECT_EQ(game->level->score, frames);

    // Scrolled on past the grid (the play loop would have stopped), with
    // the body's cell far outside it too: nothing is drawn but white.
    playUntilColumn(GridColumns + 100, false);
    EXPECT_GE(game->body->gridColumn, GridColumns + 100);
    for (int i = 0; i < VisibleColumns; ++i) {
        EXPECT_FALSE(floorDrawnAt(i)) << "screen column " << i;
    }
}

}  // namespace
