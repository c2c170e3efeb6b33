#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "gfx/display.h"
#include "test_support.h"

namespace {

// A canvas pixel's colour that tells its place: no two pixels alike.
uint32_t colourAt(int x, int y) {
    return static_cast<uint32_t>(x * 4096 + y * 3 + 1) & 0xffffff;
}

void paintCanvas(SDL_Surface* canvas) {
    for (int y = 0; y < canvas->h; ++y) {
        for (int x = 0; x < canvas->w; ++x) {
            const uint32_t rgb = colourAt(x, y);
            SDL_Rect dot{static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
            SDL_FillRect(canvas, &dot,
                         SDL_MapRGB(canvas->format, rgb >> 16, (rgb >> 8) & 0xff, rgb & 0xff));
        }
    }
}

// Every pixel of `place` on the window shows the canvas pixel it enlarges,
// and everything outside it is black.
void expectPictureIn(const SDL_Rect& place) {
    SDL_Surface* window = SDL_GetVideoSurface();
    int wrong = 0;
    for (int y = 0; y < window->h; ++y) {
        for (int x = 0; x < window->w; ++x) {
            const bool inside =
                x >= place.x && x < place.x + place.w && y >= place.y && y < place.y + place.h;
            const uint32_t expected =
                inside ? colourAt((x - place.x) * 720 / place.w, (y - place.y) * 480 / place.h) : 0;
            wrong += pixelAt(window, x, y) != expected ? 1 : 0;
        }
    }
    EXPECT_EQ(wrong, 0);
}

struct DummyVideoDriver {
    DummyVideoDriver() {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        SDL_Init(SDL_INIT_VIDEO);
    }
    ~DummyVideoDriver() { SDL_Quit(); }
};

}  // namespace

TEST(Display, SizesTheWindowAndTheFullScreenPictureForTheScreen) {
    EXPECT_EQ(windowScaleFor(1024, 768), 1);
    EXPECT_EQ(windowScaleFor(1920, 1080), 1);  // 960 rows would be 89 %
    EXPECT_EQ(windowScaleFor(1920, 1200), 2);
    EXPECT_EQ(windowScaleFor(2560, 1440), 2);
    EXPECT_EQ(windowScaleFor(3840, 2160), 3);
    EXPECT_EQ(windowScaleFor(1439, 4000), 1);  // too narrow for 1440
    EXPECT_EQ(windowScaleFor(0, 0), 1);

    const auto place = [](int w, int h) {
        const SDL_Rect rect = fullScreenPlaceFor(w, h);
        return std::vector<int>{rect.x, rect.y, rect.w, rect.h};
    };
    EXPECT_EQ(place(1920, 1080), (std::vector<int>{150, 0, 1620, 1080}));
    EXPECT_EQ(place(2560, 1440), (std::vector<int>{200, 0, 2160, 1440}));
    EXPECT_EQ(place(1280, 1024), (std::vector<int>{0, 85, 1280, 853}));
    EXPECT_EQ(place(720, 480), (std::vector<int>{0, 0, 720, 480}));
}

TEST(Display, ShowsTheSamePictureEnlargedInTheWindowAndInFullScreen) {
    DummyVideoDriver driver;
    Display display;
    ASSERT_TRUE(display.open(2560, 1440));
    SDL_Surface* canvas = display.canvas();
    ASSERT_EQ(canvas->w, 720);
    ASSERT_EQ(canvas->h, 480);
    EXPECT_EQ(drawingSurface(), SDL_GetVideoSurface());  // nobody named the canvas yet
    setDrawingSurface(canvas);
    EXPECT_EQ(SDL_GetVideoSurface()->w, 1440);
    EXPECT_EQ(SDL_GetVideoSurface()->h, 960);
    paintCanvas(canvas);
    display.present();
    expectPictureIn(SDL_Rect{0, 0, 1440, 960});

    // Full screen keeps the picture that was on the canvas.
    ASSERT_TRUE(display.toggleFullScreen());
    EXPECT_TRUE(display.fullScreen());
    EXPECT_EQ(SDL_GetVideoSurface()->w, 2560);
    EXPECT_EQ(SDL_GetVideoSurface()->h, 1440);
    EXPECT_NE(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN, 0u);
    expectPictureIn(SDL_Rect{200, 0, 2160, 1440});

    ASSERT_TRUE(display.toggleFullScreen());
    EXPECT_FALSE(display.fullScreen());
    EXPECT_EQ(SDL_GetVideoSurface()->w, 1440);
    expectPictureIn(SDL_Rect{0, 0, 1440, 960});
    display.close();
    EXPECT_EQ(drawingSurface(), SDL_GetVideoSurface());
}

TEST(Display, OnAScreenWithoutRoomTheCanvasIsTheWindowItself) {
    DummyVideoDriver driver;
    Display display;
    ASSERT_TRUE(display.open(1920, 1080));
    EXPECT_EQ(display.canvas(), SDL_GetVideoSurface());
    paintCanvas(display.canvas());
    ASSERT_TRUE(display.toggleFullScreen());
    EXPECT_NE(display.canvas(), SDL_GetVideoSurface());
    expectPictureIn(SDL_Rect{150, 0, 1620, 1080});
    ASSERT_TRUE(display.toggleFullScreen());
    EXPECT_EQ(display.canvas(), SDL_GetVideoSurface());
    expectPictureIn(SDL_Rect{0, 0, 720, 480});
}
