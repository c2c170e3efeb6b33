#include "world/level.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "alpha_bmp.h"
#include "test_support.h"
#include "world/cell_coverage.h"

namespace {

constexpr uint32_t White = 0xffffff;
constexpr uint32_t Red = 0xff0000;      // tile 0
constexpr uint32_t Green = 0x00ff00;    // bonus
constexpr uint32_t Blue = 0x0000ff;     // enemy, first frame
constexpr uint32_t Black = 0x000000;    // enemy, second frame
constexpr uint32_t Yellow = 0xffff00;   // tile 1
constexpr uint32_t Magenta = 0xff00ff;  // success picture
constexpr uint32_t Cyan = 0x00ffff;     // overlay
constexpr uint32_t Grey = 0x808080;     // background

// (column, row) -> the file's number (0..4).
using Cells = std::map<std::pair<int32_t, int32_t>, int>;

std::string levelText(const std::string& keywords, const Cells& cells) {
    std::string section(2 * GridCells, ' ');
    for (int32_t i = 0; i < GridCells; ++i) {
        section[2 * i] = '0';
        section[2 * i + 1] = (i + 1) % GridRows == 0 ? '\n' : ' ';
    }
    for (const auto& [where, number] : cells) {
        section[2 * cellIndex(where.first, where.second)] = static_cast<char>('0' + number);
    }
    return keywords + "#Collisions\n" + section;
}

// A 32-bit BMP whose fourth byte is alpha; `pixel` gives 0xAARRGGBB.
void writeAlphaImage(const std::string& path, int width, int height,
                     uint32_t (*pixel)(int x, int y)) {
    writeAlphaBmp(path, width, height, pixel);
}

// A working folder with the level's pictures, and the screen.
class LevelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeSolidImage("Niveaux/bonus.png", 20, 20, Green);
        writeSolidImage("Niveaux/reussi.png", 30, 30, Magenta);
        writeSolidImage("Enemies/e0.png", 20, 20, Blue);
        writeSolidImage("Enemies/e1.png", 20, 20, Black);
        writeFile("Enemies/ennemi-01.imga", "img Enemies/e0.png\nimg Enemies/e1.png\n");
        writeSolidImage("t0.png", 10, 10, Red);
        writeSolidImage("t1.png", 20, 20, Yellow);
        writeSolidImage("back.png", 720, 480, Grey);
        writeSolidImage("over.png", 40, 40, Cyan);
    }

    std::unique_ptr<Level> makeLevel(const Cells& cells, const std::string& extra = "") {
        writeFile("level.txt", levelText("tile 0 t0.png\ntile 1 t1.png\n" + extra, cells));
        auto level = std::make_unique<Level>("level.txt", &camera);
        level->cellsVisible = true;
        return level;
    }

    // One frame as the play loop draws it: white first.
    uint32_t frame(Level& level, int x = 0, int y = 0) {
        SDL_FillRect(video.screen(), nullptr, SDL_MapRGB(video.screen()->format, 255, 255, 255));
        level.runFrame();
        return pixelAt(video.screen(), x, y);
    }

    uint32_t at(int x, int y) { return pixelAt(video.screen(), x, y); }

    std::vector<uint32_t> screenPixels() {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 720; ++x) {
                pixels.push_back(at(x, y));
            }
        }
        return pixels;
    }

    TempDir dir;
    DummyVideo video;
    Camera camera;
};

}  // namespace

TEST_F(LevelTest, DrawsEachCellKindAtItsOffset) {
    for (const auto& [offsetX, offsetY] : {std::pair{0, 0}, std::pair{3, 4}}) {
        camera = Camera{};
        camera.offsetX = offsetX;
        camera.offsetY = offsetY;
        // After the first frame, grid column c is at screen column c - 1.
        auto level = makeLevel({{{5, 10}, 1}, {{11, 20}, 2}, {{21, 30}, 3}, {{31, 40}, 4}});
        frame(*level);
        const struct {
            int x, y, w, h;
            uint32_t colour;
        } expected[] = {
            {40, 100, 10, 10, Red},                // Tile0 at its own corner
            {100 - 25, 200 - 50, 20, 20, Green},   // Bonus
            {200 - 50, 300 - 70, 20, 20, Blue},    // Enemy
            {300 - 40, 400 - 70, 20, 20, Yellow},  // Tile1
        };
        for (const auto& e : expected) {
            const int x = e.x - offsetX, y = e.y - offsetY;
            EXPECT_EQ(at(x, y), e.colour) << x << "," << y;
            EXPECT_EQ(at(x + e.w - 1, y + e.h - 1), e.colour) << x << "," << y;
            EXPECT_EQ(at(x - 1, y), White) << x << "," << y;
            EXPECT_EQ(at(x + e.w, y + e.h), White) << x << "," << y;
        }
    }
}

TEST_F(LevelTest, TheFirstFrameShowsColumnsOneToSeventyTwoAndScoresOne) {
    auto level = makeLevel({{{1, 0}, 1}, {{72, 0}, 1}, {{73, 10}, 2}, {{0, 20}, 4}});
    frame(*level);
    EXPECT_EQ(camera.column, 1);
    EXPECT_EQ(level->score, 1);
    EXPECT_STREQ(level->scoreText, "1");
    EXPECT_EQ(at(0, 0), Red);
    EXPECT_EQ(at(10, 0), White);
    EXPECT_EQ(at(710, 0), Red);
    EXPECT_EQ(at(700, 55), White);  // column 73's bonus would reach here
    EXPECT_EQ(at(0, 130), White);   // column 0's tile 1 would reach here
}

TEST_F(LevelTest, CodesWithoutAPictureAndHiddenCellsDrawNothing) {
    auto level = makeLevel({});
    level->grid[cellIndex(2, 5)] = 1;
    level->grid[cellIndex(3, 5)] = 6;
    level->grid[cellIndex(4, 5)] = -2;
    frame(*level);
    for (int x = 0; x < 60; ++x) {
        ASSERT_EQ(at(x, 50), White) << x;
    }
    level->cellsVisible = false;
    level->grid[cellIndex(5, 5)] = Tile0;
    EXPECT_EQ(frame(*level, 30, 50), White);
}

TEST_F(LevelTest, DrawsInTheOrderBackgroundOverlaySuccessCells) {
    auto level = makeLevel({{{1, 0}, 1}}, "img 1 back.png\nimg 2 over.png\nlimite -5\n");
    frame(*level);
    EXPECT_EQ(at(5, 5), Red);
    EXPECT_EQ(at(15, 15), Magenta);
    EXPECT_EQ(at(35, 35), Cyan);
    EXPECT_EQ(at(300, 300), Grey);
    level->cellsVisible = false;
    EXPECT_EQ(frame(*level, 5, 5), Magenta);
}

TEST_F(LevelTest, TheSuccessPictureShowsOnlyAboveTheLimit) {
    auto level = makeLevel({}, "limite 5\n");
    for (int32_t score = 1; score <= 4; ++score) {
        EXPECT_EQ(frame(*level, 5, 5), White) << score;
    }
    EXPECT_EQ(frame(*level, 5, 5), White);  // score 5 equals the limit
    EXPECT_EQ(level->score, 5);
    EXPECT_EQ(frame(*level, 5, 5), Magenta);
    level->score = 4;  // falling back to the limit hides it again
    EXPECT_EQ(frame(*level, 5, 5), White);
    // Read once, by the first frame that shows it, never again per frame.
    writeSolidImage("Niveaux/reussi.png", 30, 30, Blue);
    EXPECT_EQ(frame(*level, 5, 5), Magenta);

    // Without a "limite" line it never shows, however high or low the score.
    auto noLimit = makeLevel({});
    for (int32_t score : {INT32_MIN, -1, 0, 1000000, INT32_MAX - 1}) {
        noLimit->score = score;
        EXPECT_EQ(frame(*noLimit, 5, 5), White) << score;
    }
}

TEST_F(LevelTest, ScoresAndScrollsByTheStep) {
    auto level = makeLevel({});
    level->scrollStep = 2;
    frame(*level);
    EXPECT_EQ(camera.column, 2);
    EXPECT_EQ(level->score, 5);
    level->scrollStep = 1;
    level->score = -100;
    frame(*level);
    EXPECT_EQ(camera.column, 3);
    EXPECT_STREQ(level->scoreText, "-99");
}

TEST_F(LevelTest, RendersTheScoreInBlackWhenTheFontIsThere) {
    namespace fs = std::filesystem;
    const fs::path candidates[] = {fs::path(MOSSLANCE_GAME_DIR) / "shark.ttf",
                                   "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
    for (const fs::path& font : candidates) {
        if (fs::exists(font)) {
            fs::copy_file(font, "shark.ttf");
            break;
        }
    }
    if (!fs::exists("shark.ttf")) {
        GTEST_SKIP() << "no font to render with";
    }
    auto level = makeLevel({});
    level->score = 887;
    frame(*level);
    ASSERT_NE(level->scoreSurface, nullptr);
    int dark = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 550; x < 720; ++x) {
            dark += at(x, y) < 0x202020 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 20);
    EXPECT_EQ(at(540, 30), White);
}

TEST_F(LevelTest, EveryEnemyInViewAdvancesTheOneAnimation) {
    // Two frames at 0.35: draws 1-3 show frame 0, draw 4 frame 1.
    auto level = makeLevel({{{11, 20}, 3}, {{21, 20}, 3}, {{31, 20}, 3}});
    frame(*level);
    EXPECT_EQ(at(100 - 50, 200 - 70), Blue);
    EXPECT_EQ(at(300 - 50, 200 - 70), Blue);
    frame(*level);  // one column further left
    EXPECT_EQ(at(90 - 50, 200 - 70), Black);
    EXPECT_EQ(at(190 - 50, 200 - 70), Blue);
}

TEST_F(LevelTest, ColumnsBeyondTheGridDrawNothing) {
    Cells lastColumn;
    for (int32_t row = 0; row < VisibleRows; ++row) {
        lastColumn[{GridColumns - 1, row}] = 1;
    }
    auto level = makeLevel(lastColumn);
    camera.column = 9920;
    while (camera.column < GridColumns + 80) {
        frame(*level);
        const int32_t screenColumn = GridColumns - 1 - camera.column;
        for (int32_t i = 0; i < VisibleColumns; ++i) {
            ASSERT_EQ(at(10 * i + 5, 475), i == screenColumn ? Red : White)
                << "camera " << camera.column << " column " << i;
        }
    }
    // Even a camera about to wrap around reads nothing outside the grid.
    camera.column = INT32_MAX - 30;
    frame(*level);
    EXPECT_EQ(frame(*level, 5, 475), White);
}

TEST(LevelLoad, AMissingFileWritesItsMessageAndLeavesTheLevelBare) {
    TempDir dir;
    writeFile("Enemies/ennemi-01.imga", "");  // an animation without frames says nothing
    writeSolidImage("t0.png", 10, 10, Red);
    Camera camera;
    std::unique_ptr<Level> level;
    const std::string out =
        captureStdout([&] { level = std::make_unique<Level>("Niveaux/absent lvl", &camera); });
    EXPECT_EQ(
        out,
        "\n\nImpossible d'ouvrir le fichier niveau  Niveaux/absent lvl !! 404 Not found !\n\n");
    EXPECT_FALSE(level->hasLimit);
    EXPECT_EQ(level->tile0Image, nullptr);
    for (int32_t cell : level->grid) {
        ASSERT_EQ(cell, Empty);
    }
}

TEST(LevelLoad, LoadsTheNamedPicturesAndOnlyThose) {
    TempDir dir;
    DummyVideo video;
    writeFile("Enemies/ennemi-01.imga", "");
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"}) {
        writeSolidImage(name, 4, 4, Red);
    }
    Camera camera;
    writeFile("one.lvl", "img 3 a.png\nimg 2 b.png\nimg 1 c.png\ntile 0 d.png\ntile 1 gone.png\n");
    std::unique_ptr<Level> level;
    EXPECT_EQ(captureStdout([&] { level = std::make_unique<Level>("one.lvl", &camera); }), "");
    EXPECT_NE(level->extraImage, nullptr);
    EXPECT_NE(level->overlay, nullptr);
    EXPECT_NE(level->background, nullptr);
    EXPECT_NE(level->tile0Image, nullptr);
    EXPECT_EQ(level->tile1Image, nullptr);

    writeFile("bare.lvl", levelText("", {}));
    level = std::make_unique<Level>("bare.lvl", &camera);
    EXPECT_EQ(level->extraImage, nullptr);
    EXPECT_EQ(level->background, nullptr);
    EXPECT_EQ(level->tile0Image, nullptr);
}

TEST(LevelLoad, DestroyingALevelLeavesTheFontLibraryAsItWas) {
    TempDir dir;
    writeFile("Enemies/ennemi-01.imga", "");
    writeFile("x.lvl", "");
    ASSERT_EQ(TTF_Init(), 0);
    Camera camera;
    auto level = std::make_unique<Level>("x.lvl", &camera);
    EXPECT_EQ(TTF_WasInit(), 2);
    level.reset();
    EXPECT_EQ(TTF_WasInit(), 1);
    TTF_Quit();
}

TEST_F(LevelTest, TheFastCellDrawingChangesNoPixel) {
    // On classic SDL 1.2 and on sdl12-compat alike the cells are blended
    // by the level's own code, which must then give SDL's very pixels.
    EXPECT_TRUE(CellCoverage::blendsLikeLinkedSdl());
    const auto sprite = [](int x, int y) -> uint32_t {
        const int d = (x - 12) * (x - 12) + (y - 14) * (y - 14);
        return d > 100 ? 0u : d > 70 ? 0x60000000u | 0x3080c0u : 0xff000000u | uint32_t(x * 9 << 8);
    };
    writeAlphaImage("Niveaux/bonus.png", 26, 30, sprite);
    writeAlphaImage("Enemies/e0.png", 62, 58, [](int x, int y) {
        return (x > 20 && y > 25) ? 0xff000000u | uint32_t(y * 4) : x > 10 ? 0x40ff0000u : 0u;
    });
    // Every alpha value, in runs long and short.
    writeAlphaImage("Enemies/e1.png", 30, 20, [](int x, int y) {
        return uint32_t((x * 37 + y * 11) & 0xff) << 24 | 0x20a040u;
    });
    writeAlphaImage("t1.png", 43, 33, [](int x, int y) {
        return (y > 12 ? 0xffu : y > 6 ? uint32_t(x * 6) : 0u) << 24 | uint32_t(x * 5);
    });
    // A background with every alpha value too, larger than the screen.
    writeAlphaImage("fond.png", 731, 493, [](int x, int y) {
        return uint32_t((x * 7 + y * 3) & 0xff) << 24 | (uint32_t(x * 131 + y * 17) & 0xffffffu);
    });
    // An overlay mostly clear, as the levels' are, with every alpha in a band.
    writeAlphaImage("voile.png", 700, 470, [](int x, int y) {
        return y % 97 < 20 ? uint32_t((x * 3 + y * 5) & 0xff) << 24 | 0x804020u : 0u;
    });
    Cells cells;
    uint32_t seed = 7;
    for (int32_t column = 0; column < 100; ++column) {
        for (int32_t row = 0; row < VisibleRows; ++row) {
            seed = seed * 1103515245u + 12345u;
            const int pick = static_cast<int>((seed >> 16) % 7);
            // Some rows and columns left empty, where the background shows.
            const bool clearing = column % 11 == 4 || row % 13 == 6;
            cells[{column, row}] = clearing ? 0 : pick < 5 ? pick : 1;
        }
    }
    // The same pictures loaded again, and an animation of their own, drawn
    // the plain way: every picture of every cell whole, in order, by SDL.
    Animation plainEnemy("Enemies/ennemi-01.imga", 0.35);
    SurfacePtr plainTile0 = loadImage("t0.png"), plainTile1 = loadImage("t1.png"),
               plainBonus = loadImage("Niveaux/bonus.png"), plainBackground = loadImage("fond.png"),
               plainOverlay = loadImage("voile.png");
    auto level = makeLevel(cells, "img 1 fond.png\nimg 2 voile.png\n");
    // The background is drawn where the cells leave it to be seen, at the
    // level's place, and at others that SDL has to clip.
    const std::pair<SDL_Rect, SDL_Rect> backgroundPlaces[] = {
        {SDL_Rect{0, 0, 0, 0}, SDL_Rect{0, 0, 720, 720}},
        {SDL_Rect{-7, 3, 0, 0}, SDL_Rect{4, -2, 700, 500}},
        {SDL_Rect{12, -9, 0, 0}, SDL_Rect{-3, 8, 650, 470}}};
    const std::pair<int, int> offsets[] = {{0, 0}, {5, -10}, {3, 4}};
    // Everything three times: with the blend for AVX2, for SSE4.1 and for
    // every processor (each where the processor has it).
    using Instructions = CellCoverage::Instructions;
    struct Restore {
        ~Restore() { CellCoverage::widestInstructions = Instructions::Avx2; }
    } restore;
    const Instructions widest[] = {Instructions::Avx2, Instructions::Sse41, Instructions::Plain};
    for (int run = 0; run < 9; ++run) {
        const int pass = run % 3;
        CellCoverage::widestInstructions = widest[run / 3];
        const auto [offsetX, offsetY] = offsets[pass];
        camera.offsetX = offsetX;
        camera.offsetY = offsetY;
        level->backgroundClip = backgroundPlaces[pass].second;
        for (int repeat = 0; repeat < 5; ++repeat) {
            level->backgroundRect = backgroundPlaces[pass].first;
            frame(*level);
            const std::vector<uint32_t> drawn = screenPixels();
            const SDL_Rect drawnRect = level->backgroundRect;
            SDL_FillRect(video.screen(), nullptr,
                         SDL_MapRGB(video.screen()->format, 255, 255, 255));
            SDL_Rect plainRect = backgroundPlaces[pass].first;
            SDL_Rect plainClip = backgroundPlaces[pass].second;
            SDL_UpperBlit(plainBackground.get(), &plainClip, video.screen(), &plainRect);
            EXPECT_EQ(std::make_tuple(drawnRect.x, drawnRect.y, drawnRect.w, drawnRect.h),
                      std::make_tuple(plainRect.x, plainRect.y, plainRect.w, plainRect.h));
            SDL_Rect overlayPlace{0, 0, 0, 0};
            blitToScreen(plainOverlay.get(), overlayPlace);
            for (int32_t i = 0; i < VisibleColumns; ++i) {
                for (int32_t j = 0; j < VisibleRows; ++j) {
                    const int x = 10 * i - offsetX, y = 10 * j - offsetY;
                    SDL_Rect where{0, 0, 0, 0};
                    switch (cellAt(level->grid.data(), camera.column + i, j)) {
                        case Tile0:
                            where = SDL_Rect{Sint16(x), Sint16(y), 0, 0};
                            blitToScreen(plainTile0.get(), where);
                            break;
                        case Bonus:
                            where = SDL_Rect{Sint16(x - 25), Sint16(y - 50), 0, 0};
                            blitToScreen(plainBonus.get(), where);
                            break;
                        case Enemy:
                            plainEnemy.position = SDL_Rect{Sint16(x - 50), Sint16(y - 70), 0, 0};
                            plainEnemy.draw();
                            break;
                        case Tile1:
                            where = SDL_Rect{Sint16(x - 40), Sint16(y - 70), 0, 0};
                            blitToScreen(plainTile1.get(), where);
                            break;
                    }
                }
            }
            const std::vector<uint32_t> plain = screenPixels();
            int differing = 0;
            for (std::size_t p = 0; p < plain.size(); ++p) {
                differing += plain[p] != drawn[p] ? 1 : 0;
            }
            ASSERT_EQ(differing, 0)
                << "offsets " << offsetX << "," << offsetY << " column " << camera.column;
        }
        // With the offsets on the 5-pixel grain, most pictures were left out.
        const auto& parts = level->coverage->parts;
        const auto left = std::count_if(parts.begin(), parts.end(),
                                        [](const SDL_Rect& part) { return part.w == 0; });
        if (offsetX % 5 == 0 && offsetY % 5 == 0) {
            EXPECT_GT(left, static_cast<long>(parts.size() / 4));
        } else {
            EXPECT_EQ(left, 0);
        }
    }
}

TEST_F(LevelTest, AnAlphaBackgroundOfTheScreensSizeIsReadOnlyWithinItsPicture) {
    // The background is blended straight from its picture; on its last row
    // the run right of a Tile0 cell in row 47 ends where the picture's memory
    // does, after a number of pixels that is no multiple of eight.
    writeAlphaImage("fond.png", 720, 480,
                    [](int x, int y) { return uint32_t((x * 5 + y) & 0xff) << 24 | 0x3060a0u; });
    auto level = makeLevel({{{3, 47}, 1}}, "img 1 fond.png\n");
    frame(*level);
    const std::vector<uint32_t> drawn = screenPixels();
    SDL_FillRect(video.screen(), nullptr, SDL_MapRGB(video.screen()->format, 255, 255, 255));
    SDL_Rect whole{0, 0, 720, 480}, corner{0, 0, 0, 0}, tile{20, 470, 0, 0};
    SDL_UpperBlit(level->background.get(), &whole, video.screen(), &corner);
    blitToScreen(level->tile0Image.get(), tile);
    EXPECT_EQ(screenPixels(), drawn);
}

TEST_F(LevelTest, AnOpaquePictureInAnotherColourLayoutHidesNothingUnderIt) {
    // SDL blends even the opaque pixels of a picture whose colours are laid
    // out otherwise than the screen's (as SDL_image gives it when it cannot
    // be converted), so the background under it still counts.
    auto level = makeLevel({{{5, 10}, 1}}, "img 1 back.png\n");
    SDL_Surface* rgba =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 10, 10, 32, 0xff, 0xff00, 0xff0000, 0xff000000);
    SDL_FillRect(rgba, nullptr, SDL_MapRGBA(rgba->format, 200, 40, 90, 255));
    level->tile0Image.reset(rgba);
    frame(*level);
    const std::vector<uint32_t> drawn = screenPixels();
    SDL_FillRect(video.screen(), nullptr, SDL_MapRGB(video.screen()->format, 255, 255, 255));
    SDL_Rect corner{0, 0, 0, 0}, tile{40, 100, 0, 0};
    blitToScreen(level->background.get(), corner);
    blitToScreen(rgba, tile);
    EXPECT_EQ(screenPixels(), drawn);
}
