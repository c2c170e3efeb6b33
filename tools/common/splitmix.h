#pragma once

#include <cmath>
#include <cstdint>

// splitmix64: the same numbers for a seed on every platform and standard
// library, so that a seed always gives the same level and the same plays.
class SplitMix {
  public:
    explicit SplitMix(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A whole number from lo to hi, both included.
    int32_t range(int32_t lo, int32_t hi) {
        if (hi <= lo) {
            return lo;
        }
        return lo + static_cast<int32_t>(next() % static_cast<uint64_t>(hi - lo + 1));
    }
    bool chance(int32_t percent) { return range(0, 99) < percent; }

    // In (0, 1).
    double uniform() { return (static_cast<double>(next() >> 11) + 0.5) / 9007199254740992.0; }

    // Normally distributed, mean 0 and standard deviation 1 (Box-Muller).
    double normal() {
        const double radius = std::sqrt(-2.0 * std::log(uniform()));
        return radius * std::cos(6.283185307179586 * uniform());
    }

  private:
    uint64_t state_;
};
