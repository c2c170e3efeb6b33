#pragma once

// Small sound files for tests: sines written as WAV and encoded with lame.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"

namespace test_sounds {

constexpr int Amplitude = 8000;

// A sine of `period` samples, `frames` long.
inline std::vector<int16_t> sine(int frames, int period) {
    std::vector<int16_t> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        samples[static_cast<std::size_t>(i)] = static_cast<int16_t>(
            std::lround(Amplitude * std::sin(2.0 * 3.14159265358979323846 * i / period)));
    }
    return samples;
}

inline void putLittle(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

// A 16-bit PCM WAV file of interleaved samples.
inline void writeWav(const std::string& path, const std::vector<int16_t>& interleaved, int rate,
                     int channels) {
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    std::string out = "RIFF";
    putLittle(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLittle(out, 16, 4);
    putLittle(out, 1, 2);
    putLittle(out, static_cast<uint32_t>(channels), 2);
    putLittle(out, static_cast<uint32_t>(rate), 4);
    putLittle(out, static_cast<uint32_t>(rate * channels * 2), 4);
    putLittle(out, static_cast<uint32_t>(channels * 2), 2);
    putLittle(out, 16, 2);
    out += "data";
    putLittle(out, dataBytes, 4);
    for (int16_t sample : interleaved) {
        putLittle(out, static_cast<uint16_t>(sample), 2);
    }
    writeFile(path, out);
}

// Plain stereo (not joint), so that a silent channel stays silent.
inline void encodeMp3(const std::string& wav, const std::string& mp3) {
    const std::string command = "lame --quiet -m s -b 128 '" + wav + "' '" + mp3 + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A short mono tone as an MP3 file at `path` (its folders are made).
inline void writeToneMp3(const std::string& path) {
    writeWav(path + ".wav", sine(4410, 100), 44100, 1);
    encodeMp3(path + ".wav", path);
}

}  // namespace test_sounds
