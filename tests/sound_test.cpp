#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "scoped_env.h"
#include "sound/fsound.h"
#include "test_sounds.h"
#include "test_support.h"

namespace {

using test_sounds::Amplitude;
using test_sounds::encodeMp3;
using test_sounds::sine;
using test_sounds::writeWav;

constexpr int OutputRate = 44100;
constexpr int MusicFrames = 22000;  // 220 whole periods of 441 Hz: the loop joins smoothly

// Music: a 441 Hz sine on the left channel only, 22000 frames at 44.1 kHz.
// Effect: a 441 Hz sine, mono, 5512 frames at 22.05 kHz (so it must be
// converted to reach the mixer), which lands on both channels.
void writeTestSounds() {
    const std::vector<int16_t> left = sine(MusicFrames, 100);
    std::vector<int16_t> music;
    for (int16_t sample : left) {
        music.push_back(sample);
        music.push_back(0);
    }
    writeWav("music.wav", music, OutputRate, 2);
    encodeMp3("music.wav", "music.mp3");
    writeWav("effect.wav", sine(5512, 50), 22050, 1);
    encodeMp3("effect.wav", "effect.mp3");
}

std::uintmax_t outputBytes(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// Waits until SDL's disk driver has written `frames` stereo frames.
void waitForFrames(const std::string& path, std::uintmax_t frames) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (outputBytes(path) < frames * 4 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GE(outputBytes(path), frames * 4) << "the audio output stalled";
}

std::uintmax_t framesWritten(const std::string& path) {
    return outputBytes(path) / 4;
}

struct Output {
    std::vector<int> left, right;
};

Output readOutput(const std::string& path) {
    const std::string raw = readFile(path);
    Output out;
    for (std::size_t i = 0; i + 3 < raw.size(); i += 4) {
        const auto at = [&](std::size_t k) {
            return static_cast<int16_t>(static_cast<uint8_t>(raw[k]) |
                                        (static_cast<uint8_t>(raw[k + 1]) << 8));
        };
        out.left.push_back(at(i));
        out.right.push_back(at(i + 2));
    }
    return out;
}

// The frame spans where |signal| is above `level`, joining dips shorter
// than `join` frames (the zero crossings of a tone).
std::vector<std::pair<std::size_t, std::size_t>> loudSpans(const std::vector<int>& signal,
                                                           int level, std::size_t join = 200) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        if (std::abs(signal[i]) <= level) {
            continue;
        }
        if (!spans.empty() && i - spans.back().second <= join) {
            spans.back().second = i + 1;
        } else {
            spans.emplace_back(i, i + 1);
        }
    }
    return spans;
}

double rms(const std::vector<int>& signal, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        sum += double(signal[i]) * signal[i];
    }
    return std::sqrt(sum / double(to - from));
}

// Mean |s[i] - s[i + lag]| relative to the amplitude: near 0 for a tone of
// period `lag`.
double periodError(const std::vector<int>& signal, std::size_t from, std::size_t to,
                   std::size_t lag) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        sum += std::abs(signal[i] - signal[i + lag]);
    }
    return sum / double(to - from) / Amplitude;
}

std::size_t longestQuietRun(const std::vector<int>& signal, std::size_t from, std::size_t to,
                            int level) {
    std::size_t longest = 0, run = 0;
    for (std::size_t i = from; i < to; ++i) {
        run = std::abs(signal[i]) < level ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// SDL's disk audio driver writing the mixed output to a file of the
// TempDir, for the lifetime of the object. A few milliseconds between
// buffers: faster than real time, but slow enough for the test to act
// between buffers.
class DiskAudio {
  public:
    explicit DiskAudio(const std::string& file)
        : file_(file),
          driver_("SDL_AUDIODRIVER", "disk"),
          outFile_("SDL_DISKAUDIOFILE", file.c_str()),
          delay_("SDL_DISKAUDIODELAY", "4") {}
    const std::string& file() const { return file_; }

  private:
    std::string file_;
    ScopedEnv driver_, outFile_, delay_;
};

}  // namespace

// The whole path the game relies on: endless gapless music, an effect mixed
// over it at the moment it is played, and a null sample that plays nothing.
TEST(Sound, MusicLoopsWithoutGapAndEffectsMixOverIt) {
    TempDir dir;
    writeTestSounds();
    DiskAudio audio(dir.path() + "/out.raw");
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));

    FSOUND_STREAM* music = FSOUND_Stream_Open("music.mp3", FSOUND_LOOP_NORMAL, 0, 0);
    ASSERT_NE(music, nullptr);
    FSOUND_SAMPLE* effect = FSOUND_Sample_Load(FSOUND_FREE, "effect.mp3", 0, 0, 0);
    ASSERT_NE(effect, nullptr);
    FSOUND_SAMPLE* wavEffect = FSOUND_Sample_Load(FSOUND_FREE, "effect.wav", 0, 0, 0);
    ASSERT_NE(wavEffect, nullptr);

    EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, music), 0);
    EXPECT_TRUE(FSOUND_Stream_SetLoopCount(music, -1));
    const std::uintmax_t musicStartedBy = framesWritten(audio.file());

    waitForFrames(audio.file(), musicStartedBy + 2 * MusicFrames);
    const std::uintmax_t nullPlayedAt = framesWritten(audio.file());
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);

    waitForFrames(audio.file(), nullPlayedAt + MusicFrames);
    const std::uintmax_t effectPlayedAt = framesWritten(audio.file());
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, effect), 0);

    waitForFrames(audio.file(), effectPlayedAt + MusicFrames);
    const std::uintmax_t wavPlayedAt = framesWritten(audio.file());
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, wavEffect), 0);

    waitForFrames(audio.file(), wavPlayedAt + 2 * MusicFrames);
    // Freeing a sample that is playing stops it safely.
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, effect), 0);
    FSOUND_Sample_Free(effect);
    FSOUND_Sample_Free(wavEffect);
    FSOUND_Stream_Close(music);
    FSOUND_Close();

    const Output out = readOutput(audio.file());
    // The mono effect sounds the same on both channels, the music only on
    // the left: left minus right is the music alone.
    std::vector<int> musicOnly(out.left.size());
    for (std::size_t i = 0; i < out.left.size(); ++i) {
        musicOnly[i] = out.left[i] - out.right[i];
    }
    const auto musicSpans = loudSpans(musicOnly, Amplitude / 2);
    ASSERT_FALSE(musicSpans.empty()) << "no music reached the output";
    const std::size_t musicStart = musicSpans.front().first;
    EXPECT_LE(musicStart, musicStartedBy + 4096);
    // The music never stops: from its start to the last write, five and more
    // of its lengths, one loud span, and no quiet run longer than a sine's
    // zero crossing (a gap at the loop's join would be hundreds of frames).
    const std::size_t musicEnd = wavPlayedAt + 2 * MusicFrames - 4096;
    ASSERT_GT(musicEnd, musicStart + 5 * MusicFrames);
    EXPECT_LE(longestQuietRun(musicOnly, musicStart + 10, musicEnd, 500), 10u);
    for (std::size_t from = musicStart + 10; from + MusicFrames < musicEnd; from += MusicFrames) {
        EXPECT_NEAR(rms(musicOnly, from, from + MusicFrames), Amplitude / std::sqrt(2.0), 600)
            << "at frame " << from;
        EXPECT_LT(periodError(musicOnly, from, from + MusicFrames - 100, 100), 0.05);
    }

    // The right channel holds the effects only: nothing before the first
    // real one (the null sample played nothing), then the MP3 effect, then
    // the WAV one, each about 0.25 s long at the original pitch.
    const auto effectSpans = loudSpans(out.right, Amplitude / 4);
    ASSERT_GE(effectSpans.size(), 2u);
    // Each starts within a few buffers of its call: the file lags behind the
    // mixer by a buffer or two of its own.
    EXPECT_GE(effectSpans[0].first, effectPlayedAt);
    EXPECT_LE(effectSpans[0].first, effectPlayedAt + 4 * 1024);
    EXPECT_GE(effectSpans[1].first, wavPlayedAt);
    EXPECT_LE(effectSpans[1].first, wavPlayedAt + 4 * 1024);
    for (int k = 0; k < 2; ++k) {
        const auto [from, to] = effectSpans[static_cast<std::size_t>(k)];
        EXPECT_NEAR(double(to - from), 11024.0, 60.0) << "effect " << k;
        EXPECT_NEAR(rms(out.right, from + 50, to - 50), Amplitude / std::sqrt(2.0), 800);
        EXPECT_LT(periodError(out.right, from + 50, to - 150, 100), 0.1) << "effect " << k;
        // The music went on under the effect.
        EXPECT_NEAR(rms(musicOnly, from, to), Amplitude / std::sqrt(2.0), 600);
    }
    for (std::size_t i = musicStart; i < effectPlayedAt; ++i) {
        ASSERT_LT(std::abs(out.right[i]), 300) << "sound on the right before any effect, at " << i;
    }
}

// Without a device, and for files that are missing or do not decode, every
// call does nothing and nothing breaks.
TEST(Sound, WithoutDeviceOrFileEverythingIsSilent) {
    TempDir dir;
    writeTestSounds();
    writeFile("garbage.mp3", std::string(5000, '\xff'));
    writeFile("text.mp3", "pas du son\n");
    writeFile("Music/empty.mp3", "");  // and a folder named like a sound
    const std::string mp3Head = readFile("effect.mp3").substr(0, 600);
    writeFile("cut.mp3", mp3Head);  // an MP3 cut short after its first frames

    auto driver = std::make_unique<ScopedEnv>("SDL_AUDIODRIVER", "no-such-driver");
    EXPECT_FALSE(FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "effect.mp3", 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open("music.mp3", FSOUND_LOOP_NORMAL, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
    EXPECT_FALSE(FSOUND_Stream_SetLoopCount(nullptr, -1));
    FSOUND_Sample_Free(nullptr);
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
    FSOUND_Close();

    driver.reset();
    driver = std::make_unique<ScopedEnv>("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    for (const char* name :
         {"missing.mp3", "garbage.mp3", "text.mp3", "", "Music", "Music/empty.mp3"}) {
        EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, name, 0, 0, 0), nullptr) << name;
        EXPECT_EQ(FSOUND_Stream_Open(name, FSOUND_LOOP_NORMAL, 0, 0), nullptr) << name;
    }
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, nullptr, 0, 0, 0), nullptr);
    // What decodes of a cut file plays; it may be too short to hold a frame.
    FSOUND_SAMPLE* cut = FSOUND_Sample_Load(FSOUND_FREE, "cut.mp3", 0, 0, 0);
    FSOUND_PlaySound(FSOUND_FREE, cut);
    FSOUND_Sample_Free(cut);
    FSOUND_Close();
}

// The Game closes the library before the hero frees its samples, and a new
// Game opens it again: handles that outlive FSOUND_Close stay safe to use
// and to free, and never sound in the next session.
TEST(Sound, HandlesOutliveClose) {
    TempDir dir;
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    writeTestSounds();
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, "effect.mp3", 0, 0, 0);
    FSOUND_STREAM* music = FSOUND_Stream_Open("music.mp3", FSOUND_LOOP_NORMAL, 0, 0);
    ASSERT_NE(sample, nullptr);
    ASSERT_NE(music, nullptr);
    EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, music), 0);
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, sample), 0);
    FSOUND_Close();
    FSOUND_Close();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);

    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), -1);
    FSOUND_Sample_Free(sample);
    FSOUND_Stream_Close(music);
    // All 32 effect channels can sound at once; the music keeps its own.
    FSOUND_SAMPLE* fresh = FSOUND_Sample_Load(FSOUND_FREE, "effect.mp3", 0, 0, 0);
    ASSERT_NE(fresh, nullptr);
    for (int i = 0; i < 32; ++i) {
        const int channel = FSOUND_PlaySound(FSOUND_FREE, fresh);
        EXPECT_GE(channel, 0);
        EXPECT_LT(channel, 32);
    }
    FSOUND_Sample_Free(fresh);
    FSOUND_Close();
}
