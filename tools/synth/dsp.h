#pragma once
// The building blocks every sound of the game is made from: seeded noise,
// oscillators, envelopes, filters, a limiter and a WAV writer.

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr int SampleRate = 44100;
constexpr double Pi = 3.14159265358979323846;
constexpr double TwoPi = 2.0 * Pi;

using Mono = std::vector<float>;

struct Stereo {
    Mono left;
    Mono right;
};

int samplesFor(double seconds);
double midiToHz(double note);
double dbToGain(double db);
double gainToDb(double gain);

// xorshift32: the same numbers on every machine, unlike the standard
// distributions whose output the library may choose.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state(seed != 0 ? seed : 0x9e3779b9u) {}
    // Uniform in [-1, 1).
    float next();

  private:
    std::uint32_t state;
};

// Oscillators take the phase in cycles, so callers can glide the pitch by
// accumulating phase themselves.
float sine(double phase);
float triangle(double phase);

// Attack, decay to a sustain level, hold while the gate is open, release.
struct Adsr {
    double attack;
    double decay;
    double sustain;
    double release;

    float at(double t, double gate) const;
    double length(double gate) const { return gate + release; }
};

// A smooth attack followed by an exponential decay with time constant tau.
float strike(double t, double attack, double tau);

class OnePoleLowPass {
  public:
    explicit OnePoleLowPass(double cutoffHz) { setCutoff(cutoffHz); }
    void setCutoff(double cutoffHz);
    float process(float x);

  private:
    float coefficient = 0.0f;
    float state = 0.0f;
};

// Robert Bristow-Johnson's biquads; the coefficients may change per sample
// for sweeps.
class Biquad {
  public:
    void setBandPass(double centreHz, double q);
    void setLowPass(double cutoffHz, double q);
    void setHighPass(double cutoffHz, double q);
    float process(float x);

  private:
    void set(double b0, double b1, double b2, double a0, double a1, double a2);
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

float peakOf(const Mono& samples);
float peakOf(const Stereo& samples);
double rmsOf(const Mono& samples);

// Bends everything above the knee smoothly towards the ceiling (both as
// linear gains), so that no sample can pass it; stateless, so it keeps a
// looped signal periodic.
void softLimit(Mono& samples, float knee, float ceiling);
void softLimit(Stereo& samples, float knee, float ceiling);
// Scales so that the loudest sample sits at peakDb dBFS.
void normalize(Mono& samples, double peakDb);
void normalize(Stereo& samples, double peakDb);
// Short linear ramps at both ends, so a one-shot starts and stops without a click.
void fadeEnds(Mono& samples, double fadeInSeconds, double fadeOutSeconds);

// 16-bit PCM at SampleRate; false when the file cannot be written.
bool writeWav(const std::string& path, const Mono& samples);
bool writeWav(const std::string& path, const Stereo& samples);

}  // namespace synth
