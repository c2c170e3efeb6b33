#include "actors/hero.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "actors/body.h"
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
