#include "sound/fsound.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#ifndef __EMSCRIPTEN__
#include <mpg123.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <vector>

#include "util/regular_file.h"

// Decoded sound in the mixer's own format, wrapped as a chunk that points
// into `pcm` (or, for files SDL_mixer reads itself, a chunk that owns its
// buffer and an empty `pcm`).
struct SoundData {
    std::vector<Uint8> pcm;
    Mix_Chunk* chunk = nullptr;
};

struct FSOUND_SAMPLE {
    SoundData sound;
};

struct FSOUND_STREAM {
    SoundData sound;
    bool looping = false;
    int loopCount = -1;  // with looping: -1 repeats without end
    bool playing = false;
};

namespace {

// Channel 0 is kept for the music; the effects take the channels after it.
constexpr int MusicChannel = 0;
constexpr int MaxEffectChannels = 256;

struct MixerState {
    bool open = false;
    bool startedAudio = false;  // we initialised SDL's audio subsystem
    int effectChannels = 0;
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    // Every live handle, so that FSOUND_Close can release their chunks
    // before the mixer goes; the handles themselves stay valid (and
    // silent) until their owners free them.
    std::set<FSOUND_SAMPLE*> samples;
    std::set<FSOUND_STREAM*> streams;
};

MixerState& mixer() {
    static MixerState state;
    return state;
}

void releaseChunk(SoundData& sound) {
    if (sound.chunk != nullptr) {
        Mix_FreeChunk(sound.chunk);  // also stops every channel playing it
        sound.chunk = nullptr;
    }
    sound.pcm.clear();
    sound.pcm.shrink_to_fit();
}

#ifndef __EMSCRIPTEN__
// A guard against a file that decodes to more than any game sound needs
// (about 25 minutes of 44.1 kHz stereo); the rest of such a file is dropped.
constexpr std::size_t MaxDecodedBytes = std::size_t(256) << 20;

// The interleaved signed 16-bit PCM of an MP3 file and its format.
struct DecodedPcm {
    std::vector<Uint8> bytes;
    long rate = 0;
    int channels = 0;
};

bool decodeMp3(const char* name, DecodedPcm& out) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (handle == nullptr) {
        return false;
    }
    // Gapless: the encoder's delay and padding are cut, so a loop joins
    // its end to its start without silence in between.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) {
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    bool ok = mpg123_open(handle, name) == MPG123_OK;
    int encoding = 0;
    if (ok) {
        ok = mpg123_getformat(handle, &out.rate, &out.channels, &encoding) == MPG123_OK &&
             out.rate > 0 && (out.channels == 1 || out.channels == 2);
    }
    if (ok) {
        unsigned char buffer[16384];
        for (;;) {
            std::size_t done = 0;
            const int result = mpg123_read(handle, buffer, sizeof buffer, &done);
            out.bytes.insert(out.bytes.end(), buffer, buffer + done);
            if (out.bytes.size() >= MaxDecodedBytes) {
                out.bytes.resize(MaxDecodedBytes);
                break;
            }
            if (result == MPG123_OK) {
                continue;
            }
            if (result == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0;
                mpg123_getformat(handle, &rate, &channels, &encoding);
                if (rate == out.rate && channels == out.channels) {
                    continue;
                }
            }
            break;  // the end, an error, or a change of format mid-file: keep what we have
        }
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    const std::size_t frameBytes = static_cast<std::size_t>(out.channels) * 2;
    if (frameBytes != 0) {
        out.bytes.resize(out.bytes.size() / frameBytes * frameBytes);
    }
    return ok && !out.bytes.empty();
}

// Converts decoded PCM to the mixer's format and wraps it as a chunk.
bool makeChunk(DecodedPcm& decoded, SoundData& sound) {
    const MixerState& state = mixer();
    SDL_AudioCVT cvt;
    const int build = SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, static_cast<Uint8>(decoded.channels),
                                        static_cast<int>(decoded.rate), state.format,
                                        static_cast<Uint8>(state.channels), state.rate);
    if (build < 0) {
        return false;
    }
    if (build == 0) {
        sound.pcm = std::move(decoded.bytes);
    } else {
        const std::size_t length = decoded.bytes.size();
        if (length > static_cast<std::size_t>(INT32_MAX) / static_cast<std::size_t>(cvt.len_mult)) {
            return false;
        }
        sound.pcm.assign(length * static_cast<std::size_t>(cvt.len_mult), 0);
        std::memcpy(sound.pcm.data(), decoded.bytes.data(), length);
        decoded.bytes = std::vector<Uint8>();
        cvt.buf = sound.pcm.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) != 0) {
            return false;
        }
        sound.pcm.resize(static_cast<std::size_t>(cvt.len_cvt));
        sound.pcm.shrink_to_fit();
    }
    if (sound.pcm.empty() || sound.pcm.size() > UINT32_MAX) {
        return false;
    }
    sound.chunk = Mix_QuickLoad_RAW(sound.pcm.data(), static_cast<Uint32>(sound.pcm.size()));
    return sound.chunk != nullptr;
}

// The first bytes of an MP3: an ID3v2 tag or an MPEG audio frame sync.
bool looksLikeMp3(const char* name) {
    std::ifstream file(name, std::ios::binary);
    unsigned char head[3] = {};
    if (!file.read(reinterpret_cast<char*>(head), sizeof head)) {
        return false;
    }
    return (head[0] == 'I' && head[1] == 'D' && head[2] == '3') ||
           (head[0] == 0xff && (head[1] & 0xe0) == 0xe0);
}

#endif

bool loadSound(const char* name, SoundData& sound) {
    if (!mixer().open || name == nullptr || !isRegularFile(name)) {
        return false;  // a pipe or device would block or never end
    }
#ifdef __EMSCRIPTEN__
    // In a browser page the MP3s were decoded by the browser itself while
    // the page loaded; SDL_mixer hands out the decoded sound.
    sound.chunk = Mix_LoadWAV(name);
    return sound.chunk != nullptr;
#else
    // SDL_mixer 1.2 cannot read an MP3 as a sample, so MP3s go through
    // libmpg123; whatever else it reads (WAV, Ogg, ...) it loads itself.
    const bool mp3 = looksLikeMp3(name);
    if (!mp3) {
        sound.chunk = Mix_LoadWAV(name);
        if (sound.chunk != nullptr) {
            return true;
        }
    }
    DecodedPcm decoded;
    if (decodeMp3(name, decoded) && makeChunk(decoded, sound)) {
        return true;
    }
    releaseChunk(sound);
    return false;
#endif
}

void playStream(FSOUND_STREAM* stream) {
    const int loops = stream->looping ? stream->loopCount : 0;
    stream->playing = Mix_PlayChannel(MusicChannel, stream->sound.chunk, loops) == MusicChannel;
}

}  // namespace

bool FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int /*flags*/) {
    MixerState& state = mixer();
    if (state.open) {
        return true;
    }
    if (mixrate <= 0 || maxsoftwarechannels <= 0) {
        return false;
    }
    state.startedAudio = SDL_WasInit(SDL_INIT_AUDIO) == 0;
    if (state.startedAudio && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        state.startedAudio = false;
        return false;
    }
    if (Mix_OpenAudio(mixrate, AUDIO_S16SYS, 2, 1024) != 0) {
        if (state.startedAudio) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            state.startedAudio = false;
        }
        return false;
    }
#ifndef __EMSCRIPTEN__
    // Only the desktop converts decoded sound to the output's format itself.
    int channels = 0;
    Mix_QuerySpec(&state.rate, &state.format, &channels);
    state.channels = channels;
#endif
    state.effectChannels = std::min(maxsoftwarechannels, MaxEffectChannels);
    Mix_AllocateChannels(state.effectChannels + 1);
    Mix_ReserveChannels(1);  // keeps FSOUND_FREE effects off the music's channel
    state.open = true;
    return true;
}

void FSOUND_Close() {
    MixerState& state = mixer();
    if (!state.open) {
        return;
    }
    Mix_HaltChannel(-1);
    for (FSOUND_SAMPLE* sample : state.samples) {
        releaseChunk(sample->sound);
    }
    for (FSOUND_STREAM* stream : state.streams) {
        releaseChunk(stream->sound);
        stream->playing = false;
    }
    state.samples.clear();
    state.streams.clear();
    Mix_CloseAudio();
    if (state.startedAudio) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    state = MixerState();
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int /*index*/, const char* name, unsigned int /*mode*/,
                                  int /*offset*/, int /*length*/) {
    auto sample = std::make_unique<FSOUND_SAMPLE>();
    if (!loadSound(name, sample->sound)) {
        return nullptr;
    }
    mixer().samples.insert(sample.get());
    return sample.release();
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    if (sample == nullptr) {
        return;
    }
    mixer().samples.erase(sample);
    releaseChunk(sample->sound);
    delete sample;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
    const MixerState& state = mixer();
    if (!state.open || sample == nullptr || sample->sound.chunk == nullptr) {
        return -1;
    }
    int mixerChannel = -1;  // any free effect channel
    if (channel != FSOUND_FREE) {
        if (channel < 0 || channel >= state.effectChannels) {
            return -1;
        }
        mixerChannel = channel + 1;
    }
    const int playing = Mix_PlayChannel(mixerChannel, sample->sound.chunk, 0);
    return playing < 0 ? -1 : playing - 1;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int /*offset*/,
                                  int /*length*/) {
    auto stream = std::make_unique<FSOUND_STREAM>();
    if (!loadSound(name, stream->sound)) {
        return nullptr;
    }
    stream->looping = (mode & FSOUND_LOOP_NORMAL) != 0;
    mixer().streams.insert(stream.get());
    return stream.release();
}

int FSOUND_Stream_Play(int /*channel*/, FSOUND_STREAM* stream) {
    if (!mixer().open || stream == nullptr || stream->sound.chunk == nullptr) {
        return -1;
    }
    playStream(stream);
    return stream->playing ? 0 : -1;
}

bool FSOUND_Stream_SetLoopCount(FSOUND_STREAM* stream, int count) {
    if (stream == nullptr) {
        return false;
    }
    const int previous = stream->loopCount;
    stream->loopCount = count < 0 ? -1 : count;
    // SDL_mixer fixes a channel's loops when it starts, so a playing stream
    // whose count changes starts again with the new one. The game sets -1
    // on a stream that already repeats without end: nothing restarts.
    bool stillPlaying = stream->playing && Mix_Playing(MusicChannel) != 0;
#ifndef __EMSCRIPTEN__
    // The browser's mixer cannot tell which chunk a channel plays; there the
    // music channel plays nothing else.
    stillPlaying = stillPlaying && Mix_GetChunk(MusicChannel) == stream->sound.chunk;
#endif
    if (stillPlaying && stream->looping && previous != stream->loopCount) {
        playStream(stream);
    }
    return true;
}

bool FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    if (stream == nullptr) {
        return false;
    }
    mixer().streams.erase(stream);
    releaseChunk(stream->sound);
    delete stream;
    return true;
}

bool FSOUND_Stream_SetVolume(FSOUND_STREAM* stream, int volume) {
    if (!mixer().open || stream == nullptr) {
        return false;
    }
    Mix_Volume(MusicChannel, std::clamp(volume, 0, 255) * MIX_MAX_VOLUME / 255);
    return true;
}
