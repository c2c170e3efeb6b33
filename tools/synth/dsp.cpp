#include "dsp.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace synth {

int samplesFor(double seconds) {
    return static_cast<int>(std::lround(seconds * SampleRate));
}

double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

double dbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

double gainToDb(double gain) {
    return 20.0 * std::log10(std::max(gain, 1e-12));
}

float Noise::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(static_cast<double>(state) / 2147483648.0 - 1.0);
}

float sine(double phase) {
    return static_cast<float>(std::sin(TwoPi * phase));
}

float triangle(double phase) {
    const double p = phase - std::floor(phase);
    return static_cast<float>(p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p);
}

float Adsr::at(double t, double gate) const {
    if (t < 0.0) {
        return 0.0f;
    }
    // The level the envelope has reached at time u while the gate is open.
    auto held = [this](double u) {
        if (u < attack) {
            return u / attack;
        }
        if (u < attack + decay) {
            return 1.0 - (1.0 - sustain) * (u - attack) / decay;
        }
        return sustain;
    };
    if (t < gate) {
        return static_cast<float>(held(t));
    }
    if (t >= gate + release) {
        return 0.0f;
    }
    // Release from wherever the gate closed, so short notes do not jump.
    const double fall = 1.0 - (t - gate) / release;
    return static_cast<float>(held(gate) * fall * fall);
}

float strike(double t, double attack, double tau) {
    if (t < 0.0) {
        return 0.0f;
    }
    const double rise = t < attack ? 0.5 - 0.5 * std::cos(Pi * t / attack) : 1.0;
    return static_cast<float>(rise * std::exp(-t / tau));
}

void OnePoleLowPass::setCutoff(double cutoffHz) {
    coefficient = static_cast<float>(1.0 - std::exp(-TwoPi * cutoffHz / SampleRate));
}

float OnePoleLowPass::process(float x) {
    state += coefficient * (x - state);
    return state;
}

void Biquad::set(double nb0, double nb1, double nb2, double a0, double na1, double na2) {
    b0 = nb0 / a0;
    b1 = nb1 / a0;
    b2 = nb2 / a0;
    a1 = na1 / a0;
    a2 = na2 / a0;
}

void Biquad::setBandPass(double centreHz, double q) {
    const double w = TwoPi * centreHz / SampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    set(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * std::cos(w), 1.0 - alpha);
}

void Biquad::setLowPass(double cutoffHz, double q) {
    const double w = TwoPi * cutoffHz / SampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    set((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void Biquad::setHighPass(double cutoffHz, double q) {
    const double w = TwoPi * cutoffHz / SampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    set((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

float Biquad::process(float x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return static_cast<float>(y);
}

float peakOf(const Mono& samples) {
    float peak = 0.0f;
    for (float s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    return peak;
}

float peakOf(const Stereo& samples) {
    return std::max(peakOf(samples.left), peakOf(samples.right));
}

double rmsOf(const Mono& samples) {
    double sum = 0.0;
    for (float s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

void softLimit(Mono& samples, float knee, float ceiling) {
    const float room = ceiling - knee;
    for (float& s : samples) {
        const float magnitude = std::fabs(s);
        if (magnitude > knee) {
            const float bent = knee + room * std::tanh((magnitude - knee) / room);
            s = std::copysign(bent, s);
        }
    }
}

void softLimit(Stereo& samples, float knee, float ceiling) {
    softLimit(samples.left, knee, ceiling);
    softLimit(samples.right, knee, ceiling);
}

void normalize(Mono& samples, double peakDb) {
    const float peak = peakOf(samples);
    if (peak <= 0.0f) {
        return;
    }
    const auto gain = static_cast<float>(dbToGain(peakDb) / peak);
    for (float& s : samples) {
        s *= gain;
    }
}

void normalize(Stereo& samples, double peakDb) {
    const float peak = peakOf(samples);
    if (peak <= 0.0f) {
        return;
    }
    const auto gain = static_cast<float>(dbToGain(peakDb) / peak);
    for (float& s : samples.left) {
        s *= gain;
    }
    for (float& s : samples.right) {
        s *= gain;
    }
}

void fadeEnds(Mono& samples, double fadeInSeconds, double fadeOutSeconds) {
    const auto size = static_cast<int>(samples.size());
    const int in = std::min(samplesFor(fadeInSeconds), size);
    const int out = std::min(samplesFor(fadeOutSeconds), size);
    for (int i = 0; i < in; ++i) {
        samples[static_cast<std::size_t>(i)] *= static_cast<float>(i) / static_cast<float>(in);
    }
    for (int i = 0; i < out; ++i) {
        samples[static_cast<std::size_t>(size - 1 - i)] *=
            static_cast<float>(i) / static_cast<float>(out);
    }
}

namespace {

void putLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xffu));
    }
}

std::int16_t toPcm(float s) {
    const double scaled = std::round(std::clamp(static_cast<double>(s), -1.0, 1.0) * 32767.0);
    return static_cast<std::int16_t>(scaled);
}

// Interleaves the channels (one or two) into a canonical 44-byte-header WAV.
bool writeChannels(const std::string& path, const std::vector<const Mono*>& channels) {
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        return false;
    }
    const auto channelCount = static_cast<std::uint32_t>(channels.size());
    const auto frames = static_cast<std::uint32_t>(channels.front()->size());
    const std::uint32_t blockAlign = channelCount * 2;
    const std::uint32_t dataBytes = frames * blockAlign;
    out.write("RIFF", 4);
    putLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLittleEndian(out, 16, 4);
    putLittleEndian(out, 1, 2);  // PCM
    putLittleEndian(out, channelCount, 2);
    putLittleEndian(out, SampleRate, 4);
    putLittleEndian(out, SampleRate * blockAlign, 4);
    putLittleEndian(out, blockAlign, 2);
    putLittleEndian(out, 16, 2);
    out.write("data", 4);
    putLittleEndian(out, dataBytes, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (const Mono* channel : channels) {
            const auto pcm = static_cast<std::uint16_t>(toPcm((*channel)[i]));
            putLittleEndian(out, pcm, 2);
        }
    }
    return static_cast<bool>(out);
}

}  // namespace

bool writeWav(const std::string& path, const Mono& samples) {
    return writeChannels(path, {&samples});
}

bool writeWav(const std::string& path, const Stereo& samples) {
    if (samples.left.size() != samples.right.size()) {
        return false;
    }
    return writeChannels(path, {&samples.left, &samples.right});
}

}  // namespace synth
