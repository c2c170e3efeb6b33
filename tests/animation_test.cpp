#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gfx/animation.h"
#include "gfx/animation_file.h"
#include "test_support.h"

namespace {

constexpr uint32_t White = 0xffffff;
const uint32_t FrameColours[] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00};

// Writes frame images of 20 x 20 in distinct colours and an animation file
// naming them; an empty colour slot names a file that does not exist.
void writeAnimation(const std::string& path, int frames, int missingFrame = -1) {
    std::string text;
    for (int k = 0; k < frames; ++k) {
        const std::string image = "frames/f" + std::to_string(k) + ".png";
        if (k != missingFrame) {
            writeSolidImage(image, 20, 20, FrameColours[k]);
        }
        text += "img " + image + "\n";
    }
    writeFile(path, text);
}

// Draws `draws` times onto a white screen and reads back which frame showed
// at the animation's position: its number, or -1 for nothing drawn.
std::vector<int> drawnFrames(Animation& animation, SDL_Surface* screen, int draws) {
    std::vector<int> shown;
    for (int i = 0; i < draws; ++i) {
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
        animation.draw();
        const uint32_t pixel = pixelAt(screen, animation.position.x + 5, animation.position.y + 5);
        int frame = -1;
        for (int k = 0; k < 4; ++k) {
            if (pixel == FrameColours[k]) {
                frame = k;
            }
        }
        EXPECT_TRUE(frame >= 0 || pixel == White) << "draw " << i;
        shown.push_back(frame);
    }
    return shown;
}

// Every frame but the last shown `hold` times, the last once, for `draws`.
std::vector<int> expectedCycle(int frames, int hold, int draws) {
    std::vector<int> cycle;
    for (int k = 0; k + 1 < frames; ++k) {
        cycle.insert(cycle.end(), static_cast<std::size_t>(hold), k);
    }
    cycle.push_back(frames - 1);
    std::vector<int> expected;
    while (static_cast<int>(expected.size()) < draws) {
        expected.push_back(cycle[expected.size() % cycle.size()]);
    }
    return expected;
}

}  // namespace

TEST(AnimationFile, KeepsImgLinesInOrder) {
    const std::string text =
        "# le heros\r\n"
        "img a.png\r\n"
        "IMG majuscules.png\r\n"
        "  img\tb.png  suite ignoree\r\n"
        "imga c.png\n"
        "\n"
        "img\n"
        "autre d.png\n"
        "img e.png";  // the last line without its line end
    EXPECT_EQ(parseAnimationText(text), (std::vector<std::string>{"a.png", "b.png", "", "e.png"}));
    EXPECT_TRUE(parseAnimationText("").empty());
    EXPECT_TRUE(parseAnimationText("pas d'image\n").empty());
}

TEST(Animation, CyclesAtSpeed035And01) {
    TempDir dir;
    DummyVideo video;
    writeAnimation("quatre.imga", 4);
    std::vector<int> shown;
    const std::string messages = captureStdout([&] {
        Animation animation("quatre.imga", 0.35);
        EXPECT_EQ(animation.frameCount, 4);
        EXPECT_EQ(animation.frameFiles[3], "frames/f3.png");
        animation.position.x = 100;
        animation.position.y = 50;
        shown = drawnFrames(animation, video.screen(), 20);
        EXPECT_EQ(animation.position.x, 100);  // the blit leaves the owner's position alone
    });
    EXPECT_EQ(messages, "");
    EXPECT_EQ(shown,
              (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3}));

    // At 0.1 ten additions make 0.9999..., not above 1.0: eleven draws a frame.
    writeAnimation("trois.imga", 3);
    Animation slow("trois.imga", 0.1);
    EXPECT_EQ(drawnFrames(slow, video.screen(), 60), expectedCycle(3, 11, 60));

    writeAnimation("une.imga", 1);
    Animation single("une.imga", 0.35);
    EXPECT_EQ(drawnFrames(single, video.screen(), 5), (std::vector<int>(5, 0)));
}

TEST(Animation, DrawsPartlyOffScreen) {
    TempDir dir;
    DummyVideo video;
    writeAnimation("une.imga", 1);
    Animation animation("une.imga", 0.35);
    animation.position.x = -10;
    animation.position.y = 470;
    SDL_FillRect(video.screen(), nullptr, SDL_MapRGB(video.screen()->format, 255, 255, 255));
    animation.draw();
    EXPECT_EQ(pixelAt(video.screen(), 0, 479), FrameColours[0]);
    EXPECT_EQ(pixelAt(video.screen(), 10, 479), White);
    EXPECT_EQ(animation.position.x, -10);
    EXPECT_EQ(animation.position.y, 470);
}

TEST(Animation, MissingFileWritesItsMessageAndDrawsNothing) {
    TempDir dir;
    DummyVideo video;
    std::unique_ptr<Animation> animation;
    const std::string messages =
        captureStdout([&] { animation = std::make_unique<Animation>("Title/hero.imga", 0.35); });
    EXPECT_EQ(messages,
              "\n\nImpossible d'ouvrir le fichier Hero Title/hero.imga !! 404 Not found !\n\n");
    EXPECT_EQ(animation->frameCount, 0);
    EXPECT_EQ(drawnFrames(*animation, video.screen(), 3), (std::vector<int>{-1, -1, -1}));

    // A file without "img" lines: no frames and no message either.
    writeFile("vide.imga", "rien ici\r\n");
    EXPECT_EQ(captureStdout([&] { Animation empty("vide.imga", 0.35); }), "");
}

TEST(Animation, MissingFrameTakesItsTurnShowingNothing) {
    TempDir dir;
    DummyVideo video;
    writeAnimation("deux.imga", 2, 1);
    std::vector<int> shown;
    const std::string messages = captureStdout([&] {
        Animation animation("deux.imga", 0.35);
        EXPECT_EQ(animation.frameCount, 2);
        shown = drawnFrames(animation, video.screen(), 8);
    });
    EXPECT_EQ(messages, "Le fichier frames/f1.png a eu un probleme de chargement de fichier\n");
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, -1, 0, 0, 0, -1}));
}

TEST(Animation, MoreThanAHundredFramesKeepsTheFirstHundred) {
    TempDir dir;
    DummyVideo video;
    writeSolidImage("f.png", 20, 20, FrameColours[2]);
    std::string text;
    for (int k = 0; k < 130; ++k) {
        text += "img " + std::string(k < 100 ? "f.png" : "absente.png") + "\r\n";
    }
    writeFile("long.imga", text);
    std::unique_ptr<Animation> animation;
    const std::string messages =
        captureStdout([&] { animation = std::make_unique<Animation>("long.imga", 0.6); });
    EXPECT_EQ(messages, "");  // the lines past the hundredth are not even loaded
    EXPECT_EQ(animation->frameCount, 100);
    // At 0.6 every frame but the last shows for two draws; the cycle wraps
    // after the hundredth without reaching past the tables.
    for (int i = 0; i < 2 * 99 + 1; ++i) {
        animation->draw();
        ASSERT_EQ(animation->frameIndex, i / 2) << "draw " << i;
    }
    animation->draw();
    EXPECT_EQ(animation->frameIndex, 0);
}
