#pragma once

// The game's sound layer: the FSOUND_* operations the game uses, with
// the handle types and constants its callers pass. Built on SDL_mixer for
// mixing (32 effect channels and one music channel) and on libmpg123 for
// decoding MP3 files into samples.
//
// A null handle does nothing. Without an audio device every operation is a
// silent no-op and the game goes on.

struct FSOUND_SAMPLE;
struct FSOUND_STREAM;

constexpr int FSOUND_FREE = -1;
constexpr unsigned int FSOUND_LOOP_OFF = 1;
constexpr unsigned int FSOUND_LOOP_NORMAL = 2;

// Opens the output at `mixrate` Hz with `maxsoftwarechannels` effect channels.
// Returns false (and leaves every later call a no-op) without a device.
bool FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
void FSOUND_Close();

// Decodes a whole MP3 (or any file SDL_mixer reads) into memory. Null when
// the file is missing, does not decode, or there is no device.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset,
                                  int length);
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample);
// Plays the sample once on a free channel, over the music and other effects,
// without blocking. Returns the channel, or -1 when nothing plays.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);

// The music stream. With mode FSOUND_LOOP_NORMAL it repeats; the loop count
// -1 makes it repeat without end. The loop is gapless.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
bool FSOUND_Stream_SetLoopCount(FSOUND_STREAM* stream, int count);
bool FSOUND_Stream_Close(FSOUND_STREAM* stream);
// The stream's volume, from 0 (silent) to 255 (as loud as it was made, the
// start). It keeps playing at any volume, so lowering it loses no place.
bool FSOUND_Stream_SetVolume(FSOUND_STREAM* stream, int volume);

// RAII owners for the Game's and the Hero's handles.
#include <memory>
struct SampleDeleter {
    void operator()(FSOUND_SAMPLE* sample) const { FSOUND_Sample_Free(sample); }
};
using SamplePtr = std::unique_ptr<FSOUND_SAMPLE, SampleDeleter>;
struct StreamDeleter {
    void operator()(FSOUND_STREAM* stream) const { FSOUND_Stream_Close(stream); }
};
using StreamPtr = std::unique_ptr<FSOUND_STREAM, StreamDeleter>;
