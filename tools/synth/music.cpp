// The background tune: a light, unhurried forest theme in G major, sixteen
// bars of flute melody over a harp arpeggio, a soft pad, bass and brushed
// drums. It is rendered into a loop buffer: a note that rings past the last
// bar wraps round into the first, and the echo runs until it has settled into
// the loop, so the end flows into the start with no seam.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include "sounds.h"

namespace synth {

namespace {

constexpr int BeatsPerMinute = 112;  // 23625 samples a beat: the grid is exact
constexpr int SamplesPerBeat = SampleRate * 60 / BeatsPerMinute;
constexpr int BeatsPerBar = 4;
constexpr int Bars = 16;
constexpr int LoopSamples = Bars * BeatsPerBar * SamplesPerBeat;
constexpr double SecondsPerBeat = 60.0 / BeatsPerMinute;
// Under the effects, which peak at about -2.5 dBFS.
constexpr double MusicPeakDb = -10.0;

static_assert(SampleRate * 60 % BeatsPerMinute == 0, "a beat must be a whole number of samples");

// ---------------------------------------------------------------- the score

struct Chord {
    int root;                  // the bass note
    int fifth;                 // the bass's second note
    std::array<int, 4> tones;  // for the harp and pad, voiced close together
};

constexpr Chord G{43, 50, {55, 59, 62, 67}};
constexpr Chord Em{40, 47, {52, 55, 59, 64}};
constexpr Chord C{48, 43, {55, 60, 64, 67}};
constexpr Chord D{38, 45, {54, 57, 62, 66}};
constexpr Chord Am{45, 40, {57, 60, 64, 69}};
constexpr Chord D7{38, 45, {54, 57, 60, 62}};

// The last bar is the dominant seventh, which leads straight back to the first.
const std::array<Chord, Bars> Harmony{G, Em, C, D, G, Em, Am, D, C, D, G, Em, C, D, Am, D7};

// One bar a string: pitch and length in eighths, "r" for a rest. Four
// phrases of four bars; the last falls through the seventh of D7 to the B4
// that opens the tune.
// clang-format off
const std::array<const char*, Bars> Melody{
    "B4:2 D5:2 G5:3 F#5:1", "E5:2 G5:2 B5:4", "A5:2 G5:2 E5:2 G5:2", "F#5:3 E5:1 D5:4",
    "B4:2 D5:2 G5:3 A5:1", "B5:2 A5:2 G5:2 E5:2", "C6:2 B5:2 A5:2 E5:2", "F#5:6 r:2",
    "E5:2 G5:2 C6:3 B5:1", "A5:2 F#5:2 D5:4", "G5:2 B5:2 D6:3 C6:1", "B5:2 G5:2 E5:4",
    "G5:2 E5:1 G5:1 C6:2 G5:2", "F#5:2 A5:2 D6:4", "C6:2 B5:2 A5:2 G5:2", "F#5:2 E5:2 D5:2 C5:2"};
// clang-format on

struct Note {
    double beat;   // from the start of the loop
    double beats;  // length
    int pitch;     // MIDI note number
};

// Our score is fixed data, so a slip in it is a fault to stop the build at.
[[noreturn]] void badScore(int bar, const std::string& what) {
    std::cerr << "synth: melody bar " << bar + 1 << ": " << what << std::endl;
    std::exit(1);
}

// "F#5" -> 78; -1 for anything it cannot read.
int parsePitch(const std::string& name) {
    static const std::array<int, 7> Semitones{9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') {
        return -1;
    }
    int semitone = Semitones[static_cast<std::size_t>(name[0] - 'A')];
    std::size_t at = 1;
    if (name[at] == '#' || name[at] == 'b') {
        semitone += name[at] == '#' ? 1 : -1;
        ++at;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9') {
        return -1;
    }
    return 12 * (name[at] - '0' + 1) + semitone;
}

std::vector<Note> melodyNotes() {
    std::vector<Note> notes;
    for (int bar = 0; bar < Bars; ++bar) {
        int eighth = bar * BeatsPerBar * 2;
        const std::string line = Melody[static_cast<std::size_t>(bar)];
        std::size_t start = 0;
        while (start < line.size()) {
            const std::size_t end = std::min(line.find(' ', start), line.size());
            const std::string word = line.substr(start, end - start);
            const std::size_t colon = word.find(':');
            int eighths = 0;
            const char* first = word.data() + std::min(colon + 1, word.size());
            const char* last = word.data() + word.size();
            const auto [stop, error] = std::from_chars(first, last, eighths);
            if (colon == std::string::npos || error != std::errc() || stop != last ||
                eighths <= 0) {
                badScore(bar, "no length in \"" + word + "\"");
            }
            const std::string name = word.substr(0, colon);
            const int pitch = parsePitch(name);
            if (pitch < 0 && name != "r") {
                badScore(bar, "no pitch in \"" + word + "\"");
            }
            if (pitch >= 0) {
                notes.push_back({0.5 * eighth, 0.5 * eighths, pitch});
            }
            eighth += eighths;
            start = end + 1;
        }
        // A bar that does not add up would shift every later note off the grid.
        if (eighth != (bar + 1) * BeatsPerBar * 2) {
            badScore(bar, "the notes do not fill the bar");
        }
    }
    return notes;
}

// ---------------------------------------------------------------- mixing

int sampleAt(double beat) {
    return static_cast<int>(std::lround(beat * SamplesPerBeat));
}

double timeOf(std::size_t i) {
    return static_cast<double>(i) / SampleRate;
}

// Adds a voice into the loop at a beat, wrapping what runs past the end back
// to the start; pan from -1 (left) to 1 (right), at constant power.
void mixIn(Stereo& loop, double beat, const Mono& voice, double gain, double pan) {
    const double angle = (pan + 1.0) * Pi / 4.0;
    const auto left = static_cast<float>(gain * std::cos(angle));
    const auto right = static_cast<float>(gain * std::sin(angle));
    const auto size = static_cast<std::size_t>(LoopSamples);
    std::size_t at = static_cast<std::size_t>(sampleAt(beat)) % size;
    for (float s : voice) {
        loop.left[at] += left * s;
        loop.right[at] += right * s;
        at = at + 1 == size ? 0 : at + 1;
    }
}

Stereo emptyLoop() {
    const auto size = static_cast<std::size_t>(LoopSamples);
    return {Mono(size, 0.0f), Mono(size, 0.0f)};
}

// A ping-pong echo, darkened on each repeat. The dry signal is periodic, so
// the echo is run over it for a few laps until it has settled, and the last
// lap is kept: its start then carries the repeats of the loop's end.
void addLoopedEcho(const Stereo& dry, Stereo& out, double delayBeats, float feedback, float level) {
    const auto delay = static_cast<std::size_t>(sampleAt(delayBeats));
    Mono lineLeft(delay, 0.0f);
    Mono lineRight(delay, 0.0f);
    OnePoleLowPass darken(3000.0);
    std::size_t at = 0;
    constexpr int Laps = 3;
    for (int lap = 0; lap < Laps; ++lap) {
        for (std::size_t i = 0; i < dry.left.size(); ++i) {
            const float input = 0.5f * (dry.left[i] + dry.right[i]);
            const float fromLeft = lineLeft[at];
            const float fromRight = lineRight[at];
            lineLeft[at] = input + feedback * darken.process(fromRight);
            lineRight[at] = feedback * fromLeft;
            if (lap == Laps - 1) {
                out.left[i] += level * fromLeft;
                out.right[i] += level * fromRight;
            }
            at = at + 1 == delay ? 0 : at + 1;
        }
    }
}

// ---------------------------------------------------------------- instruments

// A breathy flute: a few harmonics, vibrato that grows as the note is held,
// and a little band-passed noise for the breath.
Mono flute(int pitch, double gate, Noise& noise) {
    const Adsr envelope{0.05, 0.3, 0.75, 0.16};
    const double hz = midiToHz(pitch);
    Mono voice(static_cast<std::size_t>(samplesFor(envelope.length(gate))));
    Biquad breath;
    breath.setBandPass(2.0 * hz, 2.0);
    double phase = 0.0;
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const double t = timeOf(i);
        const double depth = 0.004 * std::fmin(1.0, std::fmax(0.0, (t - 0.15) / 0.4));
        const double tone = sine(phase) + 0.22 * sine(2.0 * phase) + 0.06 * sine(3.0 * phase);
        const double air = 0.35 * breath.process(noise.next());
        voice[i] = static_cast<float>((tone + air) * envelope.at(t, gate));
        phase += hz * (1.0 + depth * sine(5.2 * t)) / SampleRate;
    }
    return voice;
}

// A plucked harp string: harmonics that fade the faster the higher they are.
Mono harp(int pitch) {
    const double hz = midiToHz(pitch);
    Mono voice(static_cast<std::size_t>(samplesFor(1.4)));
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const double t = timeOf(i);
        double tone = 0.0;
        for (int k = 1; k <= 6; ++k) {
            const double tau = 0.9 / (1.0 + 0.8 * (k - 1));
            tone += sine(k * hz * t) * strike(t, 0.002, tau) / std::pow(k, 1.4);
        }
        voice[i] = static_cast<float>(tone);
    }
    fadeEnds(voice, 0.0, 0.05);
    return voice;
}

// A round bass: mostly fundamental, plucked, held for the note's length.
Mono bass(int pitch, double gate) {
    const Adsr envelope{0.008, 0.45, 0.5, 0.07};
    const double hz = midiToHz(pitch);
    Mono voice(static_cast<std::size_t>(samplesFor(envelope.length(gate))));
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const double t = timeOf(i);
        const double tone = sine(hz * t) + 0.25 * sine(2.0 * hz * t) + 0.06 * sine(3.0 * hz * t);
        voice[i] = static_cast<float>(tone * envelope.at(t, gate));
    }
    return voice;
}

// A soft sustained chord tone, two slightly detuned voices for warmth.
Mono pad(int pitch, double gate) {
    const Adsr envelope{0.4, 0.6, 0.8, 0.7};
    const double hz = midiToHz(pitch);
    Mono voice(static_cast<std::size_t>(samplesFor(envelope.length(gate))));
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const double t = timeOf(i);
        const double tone =
            sine(hz * 0.9977 * t) + sine(hz * 1.0023 * t) + 0.2 * triangle(2.0 * hz * t + 0.25);
        voice[i] = static_cast<float>(tone * envelope.at(t, gate));
    }
    return voice;
}

Mono kick() {
    Mono voice(static_cast<std::size_t>(samplesFor(0.35)));
    double phase = 0.0;
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const double t = timeOf(i);
        voice[i] = static_cast<float>(sine(phase) * strike(t, 0.003, 0.12));
        phase += (48.0 + 70.0 * std::exp(-t / 0.03)) / SampleRate;
    }
    fadeEnds(voice, 0.0, 0.03);
    return voice;
}

// Filtered noise with its own decay: the hats, the brush and the shaker.
Mono noiseHit(Noise& noise, double seconds, double attack, double tau, double lowHz,
              double highHz) {
    Mono voice(static_cast<std::size_t>(samplesFor(seconds)));
    Biquad low;
    low.setHighPass(lowHz, 0.7);
    Biquad high;
    high.setLowPass(highHz, 0.7);
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const double t = timeOf(i);
        voice[i] = high.process(low.process(noise.next())) * strike(t, attack, tau);
    }
    fadeEnds(voice, 0.0, 0.01);
    return voice;
}

// ---------------------------------------------------------------- parts

void playMelody(Stereo& lead) {
    Noise breath(0xf1a7eu);
    for (const Note& note : melodyNotes()) {
        const double gate = note.beats * SecondsPerBeat * 0.92;
        mixIn(lead, note.beat, flute(note.pitch, gate, breath), 0.30, 0.15);
    }
}

void playHarmony(Stereo& mix) {
    // Each arpeggio step walks the chord's four tones; a string sounds the
    // same each time it is plucked, so each pitch is rendered once.
    constexpr std::array<int, 8> Steps{0, 1, 2, 3, 2, 1, 2, 1};
    std::map<int, Mono> strings;
    auto pluck = [&strings](int pitch) -> const Mono& {
        auto found = strings.find(pitch);
        if (found == strings.end()) {
            found = strings.emplace(pitch, harp(pitch)).first;
        }
        return found->second;
    };
    for (int bar = 0; bar < Bars; ++bar) {
        const Chord& chord = Harmony[static_cast<std::size_t>(bar)];
        const double barBeat = bar * BeatsPerBar;
        for (int step = 0; step < 8; ++step) {
            const int pitch =
                chord.tones[static_cast<std::size_t>(Steps[static_cast<std::size_t>(step)])];
            const double accent = step % 2 == 0 ? 1.0 : 0.7;
            mixIn(mix, barBeat + 0.5 * step, pluck(pitch), 0.10 * accent, -0.4);
        }
        for (int tone = 0; tone < 3; ++tone) {
            const double pan = tone == 1 ? 0.5 : -0.5;
            mixIn(mix, barBeat,
                  pad(chord.tones[static_cast<std::size_t>(tone)], 3.8 * SecondsPerBeat), 0.035,
                  pan);
        }
        // Root, a pick-up, the fifth and the root again; the last bar walks
        // up to the G that opens the tune.
        const int last = bar + 1 == Bars ? chord.root + 4 : chord.root;
        mixIn(mix, barBeat, bass(chord.root, 1.4 * SecondsPerBeat), 0.26, 0.0);
        mixIn(mix, barBeat + 1.5, bass(chord.root, 0.4 * SecondsPerBeat), 0.19, 0.0);
        mixIn(mix, barBeat + 2.0, bass(chord.fifth, 0.9 * SecondsPerBeat), 0.22, 0.0);
        mixIn(mix, barBeat + 3.0, bass(last, 0.9 * SecondsPerBeat), 0.2, 0.0);
    }
}

void playDrums(Stereo& mix) {
    Noise noise(0xd2u);
    const Mono thump = kick();
    for (int bar = 0; bar < Bars; ++bar) {
        const double barBeat = bar * BeatsPerBar;
        mixIn(mix, barBeat, thump, 0.34, 0.0);
        mixIn(mix, barBeat + 2.0, thump, 0.28, 0.0);
        if (bar + 1 == Bars) {
            mixIn(mix, barBeat + 3.5, thump, 0.2, 0.0);  // a push into the top of the loop
        }
        for (int beat : {1, 3}) {
            mixIn(mix, barBeat + beat, noiseHit(noise, 0.25, 0.004, 0.06, 500.0, 5000.0), 0.10,
                  0.1);
        }
        for (int eighth = 0; eighth < 8; ++eighth) {
            const double accent = eighth % 2 == 1 ? 1.0 : 0.55;
            mixIn(mix, barBeat + 0.5 * eighth, noiseHit(noise, 0.08, 0.001, 0.02, 7000.0, 14000.0),
                  0.05 * accent, 0.35);
        }
        // The second half adds a shaker on the sixteenths.
        if (bar >= Bars / 2) {
            for (int sixteenth = 0; sixteenth < 16; ++sixteenth) {
                const double accent = sixteenth % 4 == 2 ? 1.0 : 0.6;
                mixIn(mix, barBeat + 0.25 * sixteenth,
                      noiseHit(noise, 0.07, 0.008, 0.018, 4000.0, 11000.0), 0.035 * accent, -0.45);
            }
        }
    }
}

}  // namespace

Stereo makeMusic() {
    Stereo lead = emptyLoop();
    playMelody(lead);
    Stereo mix = emptyLoop();
    addLoopedEcho(lead, mix, 0.75, 0.35f, 0.30f);
    for (std::size_t i = 0; i < mix.left.size(); ++i) {
        mix.left[i] += lead.left[i];
        mix.right[i] += lead.right[i];
    }
    playHarmony(mix);
    playDrums(mix);
    // Tame the rare peaks where the kick meets the bass, then set the level.
    normalize(mix, 0.0);
    softLimit(mix, 0.7f, 0.95f);
    normalize(mix, MusicPeakDb);
    return mix;
}

}  // namespace synth
