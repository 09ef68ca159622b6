// SynthRandom: the seeded generator behind every synthetic fingerprint.
//
// SplitMix64 with its own uniform and normal draws, so that one seed gives the same prints on
// every compiler and standard library (std:: distributions are not specified bit for bit).
// Value type; one instance per thread.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

namespace lumo::engine::synth {

class SynthRandom {
public:
    explicit SynthRandom(std::uint64_t seed) : m_state(seed) {}

    // A seed for a sub-stream, so that finger 7 is the same whatever fingers come before it.
    static std::uint64_t derive(std::uint64_t seed, std::uint64_t a, std::uint64_t b = 0)
    {
        SynthRandom r(seed ^ (a * 0x9E3779B97F4A7C15ull) ^ (b * 0xC2B2AE3D27D4EB4Full));
        r.next();
        return r.next();
    }

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // [0, 1)
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // [0, n)
    int below(int n) { return static_cast<int>(uniform() * n); }
    bool chance(double p) { return uniform() < p; }
    double normal()
    {
        const double u1 = 1.0 - uniform();  // (0, 1], keeps log finite
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }
    double normal(double mean, double sd) { return mean + sd * normal(); }

private:
    std::uint64_t m_state;
};

}  // namespace lumo::engine::synth
