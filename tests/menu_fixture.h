#pragma once

// A started Game on the headless drivers for the tests of the screens, and
// the means to tell which menu sounds really play.

#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/game.h"
#include "test_sounds.h"
#include "test_support.h"

namespace menu_fixture {

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

inline void writeSilentWav(const std::string& path, int seconds) {
    test_sounds::writeWav(path, std::vector<int16_t>(static_cast<std::size_t>(SoundRate * seconds)),
                          SoundRate, 1);
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

inline Playing playingSounds() {
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

inline SurfacePtr solidPicture(uint32_t rgb) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 720, 480, 32, 0xff0000, 0xff00, 0xff, 0);
    SDL_FillRect(surface, nullptr,
                 SDL_MapRGB(surface->format, rgb >> 16, (rgb >> 8) & 0xff, rgb & 0xff));
    return SurfacePtr(surface);
}

}  // namespace menu_fixture
