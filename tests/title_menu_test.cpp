#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/game.h"
#include "test_support.h"

namespace {

struct DummyDrivers {
    DummyDrivers() {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
};

// A started Game on the headless drivers, working in a fresh folder, with an
// empty event queue.
struct StartedGame {
    StartedGame() {
        SDL_Event stale;
        while (SDL_PollEvent(&stale) != 0) {
        }
    }
    DummyDrivers drivers;
    TempDir dir;
    Game game{GameFlow::StartupOnly};
};

// Silent 16-bit mono WAV files stand in for the menu sounds (the sound layer
// reads any format SDL_mixer does, whatever the name): the move sound lasts
// 4 s and the confirmation 8 s, so that each still plays when the screen is
// left and the two are told apart by their length.
constexpr int SoundRate = 22050;
constexpr int MoveSeconds = 4;
constexpr int ConfirmSeconds = 8;

void writeSilentWav(const std::string& path, int seconds) {
    const uint32_t dataBytes = static_cast<uint32_t>(SoundRate * seconds * 2);
    std::string out = "RIFF";
    auto put = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
        }
    };
    put(36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(SoundRate, 4);
    put(SoundRate * 2, 4);
    put(2, 2);
    put(16, 2);
    out += "data";
    put(dataBytes, 4);
    out.append(dataBytes, '\0');
    writeFile(path, out);
}

struct MenuSounds {
    MenuSounds() {
        writeSilentWav("Music/menu.mp3", MoveSeconds);
        writeSilentWav("Music/valide.mp3", ConfirmSeconds);
    }
};

// A started Game whose menu sounds really play.
struct SoundedGame {
    SoundedGame() {
        SDL_Event stale;
        while (SDL_PollEvent(&stale) != 0) {
        }
    }
    DummyDrivers drivers;
    TempDir dir;
    MenuSounds sounds;
    Game game{GameFlow::StartupOnly};
};

// How many move and confirmation sounds are playing now.
struct Playing {
    int moves = 0;
    int confirms = 0;
};

Playing playingSounds() {
    Playing playing;
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    const double bytesPerSecond = frequency * channels * 2.0;
    for (int channel = 0; channel < Mix_AllocateChannels(-1); ++channel) {
        Mix_Chunk* chunk = Mix_Playing(channel) != 0 ? Mix_GetChunk(channel) : nullptr;
        if (chunk == nullptr) {
            continue;
        }
        const double seconds = chunk->alen / bytesPerSecond;
        if (seconds > MoveSeconds - 0.5 && seconds < MoveSeconds + 0.5) {
            ++playing.moves;
        } else if (seconds > ConfirmSeconds - 0.5 && seconds < ConfirmSeconds + 0.5) {
            ++playing.confirms;
        }
    }
    return playing;
}

SurfacePtr solidPicture(uint32_t rgb) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 720, 480, 32, 0xff0000, 0xff00, 0xff, 0);
    SDL_FillRect(surface, nullptr,
                 SDL_MapRGB(surface->format, rgb >> 16, (rgb >> 8) & 0xff, rgb & 0xff));
    return SurfacePtr(surface);
}

void press(Game& game, SDLKey key) {
    game.event = SDL_Event{};
    game.event.type = SDL_KEYDOWN;
    game.event.key.type = SDL_KEYDOWN;
    game.event.key.keysym.sym = key;
    game.handleTitleEvent();
}

}  // namespace

TEST(TitleMenu, MovesBetweenTheThreeEntriesWithoutWrapping) {
    StartedGame started;
    Game& game = started.game;
    pushKey(SDLK_UP);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(game.selection, 2);
    EXPECT_EQ(game.nextScreen, Screen::End);

    pushKey(SDLK_DOWN);
    pushKey(SDLK_UP);
    pushKey(SDLK_UP);
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(game.selection, 0);
}

TEST(TitleMenu, SpaceOnTheMiddleEntryOnlyPlaysTheSound) {
    StartedGame started;
    Game& game = started.game;
    game.selection = 1;
    game.running = true;
    game.menuConfirmed = false;
    press(game, SDLK_SPACE);
    EXPECT_TRUE(game.running);
    EXPECT_FALSE(game.menuConfirmed);
    EXPECT_EQ(game.selection, 1);

    // Space on start and on quit both leave; only start confirms.
    press(game, SDLK_UP);
    press(game, SDLK_SPACE);
    EXPECT_FALSE(game.running);
    EXPECT_TRUE(game.menuConfirmed);
    game.running = true;
    press(game, SDLK_DOWN);
    press(game, SDLK_DOWN);
    press(game, SDLK_SPACE);
    EXPECT_FALSE(game.running);
    EXPECT_FALSE(game.menuConfirmed);
}

TEST(TitleMenu, StartOpensTheLevelMenuAndQuitEndsTheGame) {
    StartedGame started;
    Game& game = started.game;
    pushKey(SDLK_SPACE);
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::LevelMenu);

    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_SPACE);
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::End);
}

TEST(TitleMenu, HandlesTheWholeBatchBeforeLeaving) {
    StartedGame started;
    Game& game = started.game;
    // Escape clears running, but Space in the same batch still starts.
    pushKey(SDLK_ESCAPE);
    pushKey(SDLK_SPACE);
    game.showTitleMenu();
    EXPECT_EQ(game.nextScreen, Screen::LevelMenu);
    // A window close after a confirmed start still ends the game.
    pushKey(SDLK_SPACE);
    pushQuit();
    game.showTitleMenu();
    EXPECT_FALSE(game.menuConfirmed);
    EXPECT_EQ(game.nextScreen, Screen::End);
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0);
}

TEST(TitleMenu, EveryVisitStartsOnTheFirstEntryWithNothingConfirmed) {
    StartedGame started;
    Game& game = started.game;
    game.selection = 2;
    game.menuConfirmed = true;  // as the end-of-level screen leaves it
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(game.selection, 0);
    EXPECT_EQ(game.nextScreen, Screen::End);
}

TEST(TitleMenu, DrawsThePictureOfTheHighlightedEntry) {
    StartedGame started;
    Game& game = started.game;
    game.titleImages[0] = solidPicture(0xff0000);
    game.titleImages[1] = solidPicture(0x00ff00);
    game.titleImages[2].reset();
    game.selection = 1;
    game.fillWhite();
    ASSERT_NE(game.titleAnimation, nullptr);
    game.titleAnimation->frameClock = 0.0;
    game.drawTitleFrame();
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0x00ff00u);
    EXPECT_EQ(game.titleAnimation->frameClock, 0.35);  // the hero is drawn over it
    game.selection = 2;  // a picture that failed to load draws nothing
    game.fillWhite();
    game.drawTitleFrame();
    EXPECT_EQ(pixelAt(game.screen, 360, 240), 0xffffffu);

    // The loop draws the first frame once more than 30 ms have passed.
    game.lastFrameTicks = static_cast<double>(SDL_GetTicks()) - 100.0;
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    EXPECT_EQ(pixelAt(game.screen, 0, 0), 0xff0000u);
    EXPECT_EQ(pixelAt(game.screen, 719, 479), 0xff0000u);
    EXPECT_EQ(game.lastFrameTicks, game.nowTicks);
}

TEST(TitleMenu, PlaysTheMoveSoundOnlyWhenTheHighlightMoves) {
    SoundedGame started;
    Game& game = started.game;
    ASSERT_NE(game.menuSample, nullptr);
    ASSERT_NE(game.confirmSample, nullptr);
    pushKey(SDLK_UP);  // already on the first entry
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);
    pushKey(SDLK_DOWN);  // already on the last entry
    pushKey(SDLK_LEFT);  // not a key of this menu
    pushKey(SDLK_UP);
    pushKey(SDLK_SPACE);  // on the middle entry: only the sound
    pushKey(SDLK_ESCAPE);
    game.showTitleMenu();
    const Playing playing = playingSounds();
    EXPECT_EQ(playing.moves, 3);
    EXPECT_EQ(playing.confirms, 1);
    EXPECT_EQ(game.selection, 1);
}
