// SmoothNoise: a smooth random field over the image plane (a sum of a few random plane waves
// of long wavelength), for slowly varying quantities: orientation wobble, ridge period, skin
// distortion, dry patches. Values lie in about [-1, 1]. Immutable after construction.
#pragma once

#include <array>
#include <cmath>
#include <numbers>

#include "engine/synth/SynthRandom.h"

namespace lumo::engine::synth {

class SmoothNoise {
public:
    SmoothNoise() = default;
    // Wavelengths between minWavelength and maxWavelength pixels.
    SmoothNoise(SynthRandom& random, double minWavelength, double maxWavelength)
    {
        for (Wave& w : m_waves) {
            const double direction = random.uniform(0, 2 * std::numbers::pi);
            const double wavelength = random.uniform(minWavelength, maxWavelength);
            w.kx = std::cos(direction) * 2 * std::numbers::pi / wavelength;
            w.ky = std::sin(direction) * 2 * std::numbers::pi / wavelength;
            w.phase = random.uniform(0, 2 * std::numbers::pi);
        }
    }

    double at(double x, double y) const
    {
        double sum = 0;
        for (const Wave& w : m_waves) sum += std::cos(w.kx * x + w.ky * y + w.phase);
        return sum / 2.0;  // four waves of amplitude 1 rarely add beyond 2
    }

private:
    struct Wave {
        double kx = 0, ky = 0, phase = 0;
    };
    std::array<Wave, 4> m_waves{};
};

}  // namespace lumo::engine::synth
