// Writes every sound of the game as a WAV file into the folder it is given;
// the build then encodes them as MP3. Everything is computed, and the only
// randomness is seeded, so each run writes the same bytes.

#include <iostream>
#include <string>

#include "sounds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: synth OUTPUT_FOLDER" << std::endl;
        return 2;
    }
    const std::string folder = argv[1];
    struct Effect {
        const char* name;
        synth::Mono (*make)();
    };
    const Effect effects[] = {
        {"bonus", synth::makeBonus},      {"degat", synth::makeDamage},
        {"menu", synth::makeMenuTick},    {"valide", synth::makeConfirm},
        {"souffle_air", synth::makeJump}, {"saut_beton1", synth::makeLanding},
    };
    bool written = true;
    for (const Effect& effect : effects) {
        const std::string path = folder + "/" + effect.name + ".wav";
        if (!synth::writeWav(path, effect.make())) {
            std::cerr << "synth: cannot write " << path << std::endl;
            written = false;
        }
    }
    const std::string musicPath = folder + "/Fond.wav";
    if (!synth::writeWav(musicPath, synth::makeMusic())) {
        std::cerr << "synth: cannot write " << musicPath << std::endl;
        written = false;
    }
    return written ? 0 : 1;
}
