#include <cmath>
#include <cstddef>

#include "sounds.h"

namespace synth {

namespace {

// Effects sit near full scale but leave room for the encoder's overshoot.
constexpr double EffectPeakDb = -2.5;

Mono silence(double seconds) {
    return Mono(static_cast<std::size_t>(samplesFor(seconds)), 0.0f);
}

double timeOf(std::size_t i) {
    return static_cast<double>(i) / SampleRate;
}

// A small bell: a fundamental with a slightly stretched second and third
// partial that die away faster, which is what makes it ring rather than beep.
void addBell(Mono& out, double start, double note, double gain, double tau) {
    const double hz = midiToHz(note);
    const std::size_t first = static_cast<std::size_t>(samplesFor(start));
    for (std::size_t i = first; i < out.size(); ++i) {
        const double t = timeOf(i - first);
        const double tone = sine(hz * t) * strike(t, 0.002, tau) +
                            0.35 * sine(2.002 * hz * t) * strike(t, 0.002, tau * 0.5) +
                            0.12 * sine(3.007 * hz * t) * strike(t, 0.001, tau * 0.3);
        out[i] += static_cast<float>(gain * tone);
    }
}

// A sine whose pitch falls exponentially from fromHz to toHz with time
// constant glide: the body of a thump.
void addDrop(Mono& out, double fromHz, double toHz, double glide, double gain, double tau) {
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        const double hz = toHz + (fromHz - toHz) * std::exp(-t / glide);
        out[i] += static_cast<float>(gain * sine(phase) * strike(t, 0.003, tau));
        phase += hz / SampleRate;
    }
}

// Each effect is one event whose level we set outright; a limiter would only
// add distortion to its attack.
Mono finish(Mono sound, double fadeOut) {
    fadeEnds(sound, 0.0005, fadeOut);
    normalize(sound, EffectPeakDb);
    return sound;
}

}  // namespace

Mono makeBonus() {
    // A quick rising major arpeggio; the top note rings longest.
    Mono sound = silence(0.62);
    addBell(sound, 0.000, 84, 0.55, 0.10);  // C6
    addBell(sound, 0.050, 88, 0.55, 0.10);  // E6
    addBell(sound, 0.100, 91, 0.60, 0.12);  // G6
    addBell(sound, 0.150, 96, 0.70, 0.18);  // C7
    return finish(sound, 0.05);
}

Mono makeDamage() {
    Mono sound = silence(0.42);
    // The buzz: a few harmonics of a sawtooth falling from 190 to 70 Hz,
    // roughened by a fast tremolo.
    double phase = 0.0;
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = timeOf(i);
        const double hz = 70.0 + 120.0 * std::exp(-t / 0.12);
        double saw = 0.0;
        for (int k = 1; k <= 10; ++k) {
            saw += sine(k * phase) / k;
        }
        const double tremolo = 0.75 + 0.25 * sine(32.0 * t);
        sound[i] += static_cast<float>(0.45 * saw * tremolo * strike(t, 0.004, 0.11));
        phase += hz / SampleRate;
    }
    // The thud under it, and a short dull burst for the impact.
    addDrop(sound, 130.0, 45.0, 0.04, 0.9, 0.09);
    Noise noise(0xdec0de01u);
    OnePoleLowPass dull(900.0);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        sound[i] += 0.6f * dull.process(noise.next()) * strike(timeOf(i), 0.001, 0.02);
    }
    // Keep the buzz from sounding harsh.
    OnePoleLowPass soften(2500.0);
    for (float& s : sound) {
        s = soften.process(s);
    }
    return finish(sound, 0.06);
}

Mono makeMenuTick() {
    // Short and quiet: it is heard every time the highlight moves.
    Mono sound = silence(0.045);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = timeOf(i);
        sound[i] = static_cast<float>(0.6 * sine(1760.0 * t) * strike(t, 0.0008, 0.006) +
                                      0.4 * sine(880.0 * t) * strike(t, 0.0015, 0.010));
    }
    Mono result = finish(sound, 0.01);
    // Softer than the other effects.
    normalize(result, -9.0);
    return result;
}

Mono makeConfirm() {
    // A fifth leaping up, with the octave above the first note joining in.
    Mono sound = silence(0.7);
    addBell(sound, 0.000, 79, 0.55, 0.12);  // G5
    addBell(sound, 0.090, 86, 0.60, 0.22);  // D6
    addBell(sound, 0.090, 91, 0.25, 0.18);  // G6
    return finish(sound, 0.08);
}

Mono makeJump() {
    // Noise through a band-pass whose centre sweeps up, swelling and fading
    // like a breath of air.
    Mono sound = silence(0.32);
    Noise noise(0x5a017u);
    Biquad band;
    const double length = timeOf(sound.size());
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = timeOf(i);
        const double u = t / length;
        band.setBandPass(500.0 * std::pow(6.0, u), 1.4);
        const double swell = std::sin(Pi * std::sqrt(u));
        sound[i] = static_cast<float>(band.process(noise.next()) * swell * swell);
    }
    Mono result = finish(sound, 0.02);
    normalize(result, -5.0);
    return result;
}

Mono makeLanding() {
    // A low, quickly damped thump with a little grit for the stone underfoot.
    Mono sound = silence(0.22);
    addDrop(sound, 150.0, 55.0, 0.025, 1.0, 0.05);
    Noise noise(0xb0e7u);
    Biquad grit;
    grit.setBandPass(1800.0, 0.9);
    OnePoleLowPass body(400.0);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = timeOf(i);
        const float n = noise.next();
        sound[i] += static_cast<float>(0.35 * grit.process(n) * strike(t, 0.0005, 0.012) +
                                       0.8 * body.process(n) * strike(t, 0.001, 0.03));
    }
    Mono result = finish(sound, 0.04);
    normalize(result, -4.0);
    return result;
}

}  // namespace synth
