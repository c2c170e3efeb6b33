#include "actors/hero.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "actors/body.h"
#include "scoped_env.h"
#include "test_sounds.h"
#include "test_support.h"
#include "world/cell_code.h"

namespace {

constexpr uint32_t White = 0xffffff;

SDL_Event keyEvent(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.keysym.sym = key;
    return event;
}

TEST(Hero, AMissingFileSaysSoOnceAndTheHeroStillPlays) {
    TempDir dir;
    std::unique_ptr<Hero> hero;
    const std::string out =
        captureStdout([&] { hero = std::make_unique<Hero>("Player/hero.hr", "machin"); });
    EXPECT_EQ(out, "\n\nImpossible d'ouvrir le fichier Hero Player/hero.hr !! 404 Not found !\n\n");
    EXPECT_EQ(hero->name, "machin");
    EXPECT_EQ(hero->heroFilePath, "Player/hero.hr");
    EXPECT_EQ(hero->frameCount, 0);
    EXPECT_EQ(hero->cursorImage, nullptr);
    for (const auto& frame : hero->frames) {
        EXPECT_EQ(frame, nullptr);
    }
    EXPECT_EQ(hero->spriteRect.w, 128);
    EXPECT_EQ(hero->spriteRect.h, 172);
    EXPECT_EQ(hero->motion.motionState, MotionNew);
    EXPECT_EQ(hero->motion.verticalSpeed, 10.0);

    // No video, no frames: it still falls, lands and places its sprite.
    std::vector<int32_t> grid(GridCells, Empty);
    grid[cellIndex(31, 27)] = Tile0;
    Camera camera;
    Body body(grid.data(), &camera);
    hero->body = &body;
    hero->update();
    hero->update();
    EXPECT_EQ(body.y, 260);
    hero->update();
    EXPECT_EQ(hero->motion.motionState, MotionOnGround);
    EXPECT_EQ(hero->spriteRect.x, 260);
    EXPECT_EQ(hero->spriteRect.y, 175);
}

TEST(Hero, ReportsEachFrameThatDoesNotLoadAndLoadsAtMost101) {
    TempDir dir;
    writeFile("Player/hero.hr",
              "name Mossy\nimg run 2 Player/ok\nimg jump 1 Player/gone\nimg curseur nowhere.png\n");
    writeSolidImage("Player/ok01.png", 4, 4, 0x00ff00);
    writeSolidImage("Player/ok02.png", 4, 4, 0x00ff00);
    std::unique_ptr<Hero> hero;
    std::string out = captureStdout([&] { hero = std::make_unique<Hero>("Player/hero.hr", "x"); });
    EXPECT_EQ(out, "Le fichier Player/gone01.png a eu un probleme de chargement de fichier\n");
    EXPECT_EQ(hero->heroName, "Mossy");
    EXPECT_EQ(hero->frameCount, 3);
    EXPECT_NE(hero->frames[0], nullptr);
    EXPECT_NE(hero->frames[1], nullptr);
    EXPECT_EQ(hero->frames[2], nullptr);
    EXPECT_EQ(hero->cursorImage, nullptr);  // silently

    writeFile("Player/many.hr", "img run 150 Player/f\nimg curseur Player/ok01.png\n");
    out = captureStdout([&] { hero = std::make_unique<Hero>("Player/many.hr", "x"); });
    EXPECT_EQ(hero->frameCount, 150);
    EXPECT_EQ(hero->frameFiles[149], "Player/f0150.png");
    EXPECT_NE(hero->cursorImage, nullptr);
    std::size_t messages = 0;
    for (std::size_t at = out.find("Le fichier "); at != std::string::npos;
         at = out.find("Le fichier ", at + 1)) {
        ++messages;
    }
    EXPECT_EQ(messages, static_cast<std::size_t>(MaxHeroFrames));
    EXPECT_NE(out.find("Player/f0101.png a eu"), std::string::npos);
    EXPECT_EQ(out.find("Player/f0102.png"), std::string::npos);
}

TEST(Hero, TheSpaceBarDrivesTheMotion) {
    TempDir dir;
    std::unique_ptr<Hero> hero;
    captureStdout([&] { hero = std::make_unique<Hero>("none.hr", "x"); });
    hero->handleEvent(keyEvent(SDL_KEYDOWN, SDLK_SPACE));  // new: ignored
    EXPECT_EQ(hero->motion.motionState, MotionNew);
    hero->handleEvent(keyEvent(SDL_KEYUP, SDLK_RETURN));
    hero->handleEvent(keyEvent(SDL_KEYDOWN, SDLK_UP));
    EXPECT_EQ(hero->motion.motionState, MotionNew);
    EXPECT_EQ(hero->motion.verticalSpeed, 10.0);

    hero->handleEvent(keyEvent(SDL_KEYUP, SDLK_SPACE));
    EXPECT_EQ(hero->motion.motionState, MotionOnGround);
    EXPECT_EQ(hero->motion.verticalSpeed, 5.0);
    hero->handleEvent(keyEvent(SDL_KEYDOWN, SDLK_SPACE));
    EXPECT_EQ(hero->motion.motionState, MotionInAir);
    EXPECT_EQ(hero->motion.verticalSpeed, -10.0);
    EXPECT_EQ(hero->motion.airborneMark, 2);
}

// Stereo 16-bit frames written so far by SDL's disk audio driver.
std::size_t framesWritten(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::size_t>(size / 4);
}

void waitForFrames(const std::string& path, std::size_t frames) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (framesWritten(path) < frames && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GE(framesWritten(path), frames) << "the audio output stalled";
}

// Where the right channel of the output first gets loud at or after `from`.
std::size_t firstLoud(const std::vector<int>& right, std::size_t from) {
    while (from < right.size() && std::abs(right[from]) < test_sounds::Amplitude / 2) {
        ++from;
    }
    return from;
}

// Mean |s[i] - s[i + lag]| over the amplitude: near 0 for a tone whose
// period divides `lag`.
double periodError(const std::vector<int>& signal, std::size_t from, std::size_t lag) {
    double sum = 0;
    const std::size_t span = 4000;
    for (std::size_t i = from; i < from + span; ++i) {
        sum += std::abs(signal[i] - signal[i + lag]);
    }
    return sum / double(span) / test_sounds::Amplitude;
}

// The jump is a 441 Hz tone and the landing a 1764 Hz one, so the output
// tells which of the two the hero played, and when.
TEST(Hero, PlaysTheJumpOnThePressAndTheLandingWhenItComesDown) {
    using namespace test_sounds;
    TempDir dir;
    const std::string output = dir.path() + "/out.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", output.c_str());
    ScopedEnv delay("SDL_DISKAUDIODELAY", "4");
    std::filesystem::create_directory("Music");
    writeWav("jump.wav", sine(11025, 100), 44100, 1);
    encodeMp3("jump.wav", "Music/souffle_air.mp3");
    writeWav("landing.wav", sine(11025, 25), 44100, 1);
    encodeMp3("landing.wav", "Music/saut_beton1.mp3");
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));

    std::size_t pressedAt = 0;
    std::size_t landedAt = 0;
    {
        std::unique_ptr<Hero> hero;
        captureStdout([&] { hero = std::make_unique<Hero>("none.hr", "machin"); });
        ASSERT_NE(hero->jumpSample, nullptr);
        ASSERT_NE(hero->landingSample, nullptr);
        std::vector<int32_t> grid(GridCells, Empty);
        grid[cellIndex(31, 25)] = Tile0;
        Camera camera;
        Body body(grid.data(), &camera);
        hero->body = &body;

        hero->update();  // lands at once: no sound for the start of a level
        waitForFrames(output, framesWritten(output) + 22050);
        pressedAt = framesWritten(output);
        hero->handleEvent(keyEvent(SDL_KEYDOWN, SDLK_SPACE));
        waitForFrames(output, pressedAt + 22050);
        // Released before any update: back on the ground at once, and the
        // jump's mark makes the landing sound due.
        hero->handleEvent(keyEvent(SDL_KEYUP, SDLK_SPACE));
        landedAt = framesWritten(output);
        hero->update();
        EXPECT_EQ(hero->motion.motionState, MotionOnGround);
        waitForFrames(output, landedAt + 22050);
    }
    FSOUND_Close();

    const std::string raw = readFile(output);
    std::vector<int> right;
    for (std::size_t i = 0; i + 3 < raw.size(); i += 4) {
        right.push_back(static_cast<int16_t>(static_cast<uint8_t>(raw[i + 2]) |
                                             (static_cast<uint8_t>(raw[i + 3]) << 8)));
    }
    const std::size_t jump = firstLoud(right, 0);
    EXPECT_GE(jump, pressedAt) << "a sound before the press";
    EXPECT_LE(jump, pressedAt + 4096);
    ASSERT_LT(jump + 5000, right.size());
    EXPECT_LT(periodError(right, jump + 100, 100), 0.1);
    EXPECT_GT(periodError(right, jump + 100, 25), 0.5);

    const std::size_t landing = firstLoud(right, landedAt);
    EXPECT_LE(landing, landedAt + 4096);
    ASSERT_LT(landing + 5000, right.size());
    EXPECT_LT(periodError(right, landing + 100, 25), 0.1);
}

// Frame i is a solid picture of colour colours[i], 128 x 172.
struct DrawnHero : ::testing::Test {
    DummyVideo video;  // outlives the hero's surfaces
    TempDir dir;
    std::vector<int32_t> grid = std::vector<int32_t>(GridCells, Empty);
    Camera camera;
    Body body{grid.data(), &camera};
    std::unique_ptr<Hero> hero;
    const std::vector<uint32_t> colours{0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0x00ffff, 0xff00ff};

    void SetUp() override {
        ASSERT_NE(video.screen(), nullptr);
        writeFile("Player/hero.hr",
                  "img stand 1 Player/s\nimg jump 1 Player/j\nimg run 4 Player/r\n");
        const std::vector<std::string> files{"Player/s01.png", "Player/j01.png", "Player/r01.png",
                                             "Player/r02.png", "Player/r03.png", "Player/r04.png"};
        for (std::size_t i = 0; i < files.size(); ++i) {
            writeSolidImage(files[i], 128, 172, colours[i]);
        }
        const std::string out =
            captureStdout([&] { hero = std::make_unique<Hero>("Player/hero.hr", "machin"); });
        ASSERT_EQ(out, "");
        grid[cellIndex(31, 25)] = Tile0;
        hero->body = &body;
    }

    // One frame: a white screen, then the hero's update.
    void frame() {
        SDL_Surface* screen = video.screen();
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
        hero->update();
    }
};

TEST_F(DrawnHero, IsDrawnAtX260AndRunsItsCycle) {
    SDL_Surface* screen = video.screen();
    frame();  // lands at once: the start-of-level frame 0
    EXPECT_EQ(hero->spriteRect.x, 260);
    EXPECT_EQ(hero->spriteRect.y, 155);
    EXPECT_EQ(pixelAt(screen, 260, 155), colours[0]);
    EXPECT_EQ(pixelAt(screen, 387, 326), colours[0]);
    EXPECT_EQ(pixelAt(screen, 259, 155), White);
    EXPECT_EQ(pixelAt(screen, 388, 200), White);
    EXPECT_EQ(pixelAt(screen, 300, 154), White);
    EXPECT_EQ(pixelAt(screen, 300, 327), White);

    std::vector<uint32_t> shown{pixelAt(screen, 300, 200)};
    for (int i = 0; i < 12; ++i) {
        frame();
        shown.push_back(pixelAt(screen, 300, 200));
    }
    const std::vector<int> indices{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 2, 2};
    for (std::size_t i = 0; i < indices.size(); ++i) {
        EXPECT_EQ(shown[i], colours[static_cast<std::size_t>(indices[i])]) << "frame " << i;
    }
}

TEST_F(DrawnHero, ShowsTheAirFrameWhereTheBodyIs) {
    SDL_Surface* screen = video.screen();
    frame();
    hero->handleEvent(keyEvent(SDL_KEYDOWN, SDLK_SPACE));
    frame();
    EXPECT_EQ(body.y, 230);
    EXPECT_EQ(hero->spriteRect.x, 260);
    EXPECT_EQ(hero->spriteRect.y, 145);
    EXPECT_EQ(pixelAt(screen, 260, 145), colours[1]);
    EXPECT_EQ(pixelAt(screen, 260, 144), White);
    EXPECT_EQ(pixelAt(screen, 387, 316), colours[1]);
    EXPECT_EQ(pixelAt(screen, 387, 317), White);

    // A frame that did not load draws nothing.
    hero->frames[1].reset();
    frame();
    EXPECT_EQ(pixelAt(screen, 300, 200), White);
}

TEST_F(DrawnHero, StaysOutOfViewOnceFarBelowTheScreen) {
    hero->motion.motionState = MotionInAir;
    body.y = 65536 + 240;  // would wrap to row 155 as a 16-bit position
    frame();
    EXPECT_EQ(hero->spriteRect.y, INT16_MAX);
    EXPECT_EQ(pixelAt(video.screen(), 300, 200), White);
}

}  // namespace
