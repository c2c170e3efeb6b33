#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "app/game.h"
#include "scoped_env.h"
#include "test_sounds.h"
#include "test_support.h"

namespace {

const char* const TitleAnimationMissing =
    "\n\nImpossible d'ouvrir le fichier Hero Title/hero.imga !! 404 Not found !\n\n";

// Builds a Game that stops after start-up, with what start-up wrote.
std::unique_ptr<Game> startGame(std::string& messages) {
    std::unique_ptr<Game> game;
    messages = captureStdout([&] { game = std::make_unique<Game>(GameFlow::StartupOnly); });
    return game;
}

void expectWindow(const Game& game) {
    ASSERT_NE(game.screen, nullptr);
    EXPECT_EQ(game.screen, SDL_GetVideoSurface());
    EXPECT_EQ(game.screen->w, 720);
    EXPECT_EQ(game.screen->h, 480);
    EXPECT_EQ(game.screen->format->BitsPerPixel, 32);
    char* title = nullptr;
    char* iconTitle = nullptr;
    SDL_WM_GetCaption(&title, &iconTitle);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "MOSSLANCE Hero");
    EXPECT_EQ(iconTitle, nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

void expectShutDown() {
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
    EXPECT_EQ(TTF_WasInit(), 0);
    EXPECT_EQ(SDL_GetVideoSurface(), nullptr);
}

}  // namespace

TEST(GameStartup, WithoutDataFilesEverythingHasItsDefault) {
    TempDir dir;
    ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    for (int run = 0; run < 2; ++run) {  // a second Game starts as cleanly as the first
        SCOPED_TRACE(run == 0 ? "first Game" : "second Game");
        std::string messages;
        std::unique_ptr<Game> game = startGame(messages);
        // Start-up reports only the title animation; pictures, sounds and
        // the font that are missing stay null without a word.
        EXPECT_EQ(messages, TitleAnimationMissing);
        EXPECT_FALSE(game->startupFailed);
        EXPECT_EQ(game->nextScreen, Screen::LoadStory);
        expectWindow(*game);
        EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);  // the sound library is open
        EXPECT_EQ(TTF_WasInit(), 1);

        EXPECT_EQ(game->selection, 1);
        EXPECT_EQ(game->endChoice, 3);
        EXPECT_EQ(game->levelCount, 2);
        EXPECT_EQ(game->currentLevel, 2);
        EXPECT_EQ(game->recordRect.x, 450);
        EXPECT_EQ(game->recordRect.y, 225);
        EXPECT_EQ(game->titleRect.x, 0);
        EXPECT_EQ(game->titleRect.y, 0);
        EXPECT_EQ(game->readyRect.x, 0);
        EXPECT_EQ(game->readyRect.y, 0);
        EXPECT_FALSE(game->levelEnded);
        EXPECT_FALSE(game->menuConfirmed);
        EXPECT_EQ(game->nowTicks, 0.0);
        EXPECT_EQ(game->lastFrameTicks, 0.0);
        EXPECT_EQ(game->camera.column, 0);
        EXPECT_EQ(game->camera.row, 0);
        EXPECT_EQ(game->camera.offsetX, 0);
        EXPECT_EQ(game->camera.offsetY, 0);
        EXPECT_EQ(game->level, nullptr);
        EXPECT_EQ(game->hero, nullptr);
        EXPECT_EQ(game->body, nullptr);
        EXPECT_EQ(game->endAnimation, nullptr);
        ASSERT_NE(game->titleAnimation, nullptr);
        EXPECT_EQ(game->titleAnimation->frameCount, 0);
        EXPECT_EQ(game->titleAnimation->speed, 0.35);
        EXPECT_EQ(game->recordTextSurface, nullptr);
        for (int i = 0; i < MaxRecords; ++i) {
            EXPECT_EQ(game->records[i], 0);
        }
        for (const std::string& name : game->levelFiles) {
            EXPECT_TRUE(name.empty());
        }
        for (const SurfacePtr& image : game->titleImages) {
            EXPECT_EQ(image, nullptr);
        }
        for (const SurfacePtr& image : game->levelImages) {
            EXPECT_EQ(image, nullptr);
        }
        EXPECT_EQ(game->readyImage, nullptr);
        EXPECT_EQ(game->damageImage, nullptr);
        EXPECT_EQ(game->music, nullptr);
        EXPECT_EQ(game->bonusSample, nullptr);
        EXPECT_EQ(game->damageSample, nullptr);
        EXPECT_EQ(game->menuSample, nullptr);
        EXPECT_EQ(game->confirmSample, nullptr);
        EXPECT_EQ(game->font, nullptr);

        game.reset();
        expectShutDown();
    }
}

TEST(GameStartup, WithItsDataLoadsEveryPictureSoundAndTheMusic) {
    TempDir dir;
    ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    // Pictures of any format SDL_image reads stand in for the PNG files.
    for (const char* picture :
         {"Title/icone.png", "Title/ecran-titre-01.png", "Title/ecran-titre-02.png",
          "Title/ecran-titre-03.png", "Title/game-over-01.png", "Title/game-over-02.png",
          "Enemies/degat.png", "Title/ready.png", "Title/hero-1.png", "Title/hero-2.png"}) {
        writeSolidImage(picture, 32, 32, 0x336699);
    }
    // Every level slot has its menu picture but the seventh, which stays a
    // null handle: nothing to draw.
    for (int level = 1; level <= LevelImageSlots; ++level) {
        if (level != 7) {
            writeSolidImage("Title/choix-" + std::string(level < 10 ? "0" : "") +
                                std::to_string(level) + ".png",
                            32, 32, 0x336699);
        }
    }
    writeFile("Title/hero.imga", "img Title/hero-1.png\nimg Title/hero-2.png\n");
    for (const char* sound : {"Music/Fond.mp3", "Music/bonus.mp3", "Music/degat.mp3",
                              "Music/menu.mp3", "Music/valide.mp3"}) {
        test_sounds::writeToneMp3(sound);
    }
    const std::filesystem::path font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    const bool haveFont = std::filesystem::exists(font);
    if (haveFont) {
        std::filesystem::copy_file(font, "shark.ttf");
    }

    std::string messages;
    std::unique_ptr<Game> game = startGame(messages);
    EXPECT_EQ(messages, "");
    expectWindow(*game);
    for (const SurfacePtr& image : game->titleImages) {
        EXPECT_NE(image, nullptr);
    }
    for (int i = 0; i < LevelImageSlots; ++i) {
        EXPECT_EQ(game->levelImages[i] != nullptr, i != 6) << "level image " << i;
    }
    EXPECT_NE(game->readyImage, nullptr);
    EXPECT_NE(game->damageImage, nullptr);
    ASSERT_NE(game->titleAnimation, nullptr);
    EXPECT_EQ(game->titleAnimation->frameCount, 2);
    EXPECT_NE(game->titleAnimation->frames[1], nullptr);
    EXPECT_NE(game->bonusSample, nullptr);
    EXPECT_NE(game->damageSample, nullptr);
    EXPECT_NE(game->menuSample, nullptr);
    EXPECT_NE(game->confirmSample, nullptr);
    EXPECT_NE(game->music, nullptr);
    // The music plays from start-up on, before any screen.
    EXPECT_EQ(Mix_Playing(-1), 1);
    if (haveFont) {
        EXPECT_NE(game->font, nullptr);
    }
    game.reset();
    expectShutDown();
}

TEST(GameStartup, NoVideoReportsWhyAndReleasesWhatItOpened) {
    TempDir dir;
    ScopedEnv video("SDL_VIDEODRIVER", "no-such-driver");
    ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    std::ostringstream errors;
    std::streambuf* previous = std::cerr.rdbuf(errors.rdbuf());
    std::string messages;
    std::unique_ptr<Game> game = startGame(messages);
    std::cerr.rdbuf(previous);

    EXPECT_TRUE(game->startupFailed);
    EXPECT_EQ(game->nextScreen, Screen::End);
    EXPECT_EQ(game->screen, nullptr);
    EXPECT_EQ(messages, "");  // nothing was loaded, so nothing was reported
    const std::string reason = SDL_GetError();
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(errors.str().find(reason), std::string::npos) << errors.str();
    EXPECT_NE(errors.str().find("SDL"), std::string::npos) << errors.str();
    game.reset();
    expectShutDown();

    // Video works again once it can: nothing was left half open.
    ScopedEnv dummy("SDL_VIDEODRIVER", "dummy");
    game = startGame(messages);
    EXPECT_FALSE(game->startupFailed);
    expectWindow(*game);
}
