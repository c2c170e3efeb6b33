#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "gfx/display.h"
#include "menu_fixture.h"
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

namespace {

// What the stand-in for SDL_SetVideoMode does with a request for full
// screen, for the scaled window and for the plain 720 x 480 window.
enum class Answer { Grant, Halve, Refuse };
struct Answers {
    Answer fullScreen, window, plain;
};
Answers answers{Answer::Grant, Answer::Grant, Answer::Grant};

SDL_Surface* standInSetVideoMode(int width, int height, int bitsPerPixel, Uint32 flags) {
    const Answer answer = (flags & SDL_FULLSCREEN) != 0   ? answers.fullScreen
                          : width == 720 && height == 480 ? answers.plain
                                                          : answers.window;
    switch (answer) {
        case Answer::Grant:
            return SDL_SetVideoMode(width, height, bitsPerPixel, flags);
        case Answer::Halve:
            return SDL_SetVideoMode(width / 2, height / 2, bitsPerPixel, flags);
        case Answer::Refuse:
            break;
    }
    // As SDL may do: the old window's surface is freed, and no new one comes.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
}

}  // namespace

// A mode setting that returns a smaller surface than asked for, or none:
// the picture is placed within what SDL returned, and the canvas (and the
// drawing surface that names it) is always a live surface or none at all.
TEST(Display, KeepsALiveCanvasWhateverTheModeSettingReturns) {
    struct Case {
        const char* what;
        int screenWidth, screenHeight;
        Answers answers;
        bool toggled, fullScreen, hasCanvas;
        SDL_Rect place;
    };
    const Case cases[] = {
        {"full screen smaller than the screen",
         1920,
         1080,
         {Answer::Halve, Answer::Grant, Answer::Grant},
         true,
         true,
         true,
         {75, 0, 810, 540}},
        {"full screen refused",
         2560,
         1440,
         {Answer::Refuse, Answer::Grant, Answer::Grant},
         false,
         false,
         true,
         {0, 0, 1440, 960}},
        {"only the plain window left",
         2560,
         1440,
         {Answer::Refuse, Answer::Refuse, Answer::Grant},
         false,
         false,
         true,
         {0, 0, 720, 480}},
        {"every mode refused",
         1920,
         1080,
         {Answer::Refuse, Answer::Refuse, Answer::Refuse},
         false,
         false,
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DummyVideoDriver driver;
        Display display;
        display.setVideoModeFunction(standInSetVideoMode);
        answers = Answers{Answer::Grant, Answer::Grant, Answer::Grant};
        ASSERT_TRUE(display.open(c.screenWidth, c.screenHeight));
        setDrawingSurface(display.canvas());
        paintCanvas(display.canvas());
        answers = c.answers;
        EXPECT_EQ(display.toggleFullScreen(), c.toggled);
        EXPECT_EQ(display.fullScreen(), c.fullScreen);
        ASSERT_EQ(display.canvas() != nullptr, c.hasCanvas);
        EXPECT_EQ(drawingSurface(), display.canvas());
        if (c.hasCanvas) {
            EXPECT_EQ(SDL_GetVideoSurface()->w, c.place.x * 2 + c.place.w);
            expectPictureIn(c.place);
        }
        display.close();
        setDrawingSurface(nullptr);
    }
}

// With no window left the game ends at once with a message, instead of
// drawing on a surface SDL has freed.
TEST(DisplayDeathTest, TheGameEndsWithAMessageWhenNoWindowCanBeOpened) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    menu_fixture::StartedGame started;
    started.game.display.setVideoModeFunction(standInSetVideoMode);
    // A screen of known size: classic SDL 1.2's dummy driver tells of none,
    // and without one there is no full screen to try.
    answers = Answers{Answer::Grant, Answer::Grant, Answer::Grant};
    ASSERT_TRUE(started.game.display.open(1920, 1080));
    started.game.screen = started.game.display.canvas();
    answers = Answers{Answer::Refuse, Answer::Refuse, Answer::Refuse};
    EXPECT_EXIT(started.game.toggleFullScreen(), testing::ExitedWithCode(1),
                "MOSSLANCE Hero : impossible de rouvrir la fenêtre de 720 x 480");
}
