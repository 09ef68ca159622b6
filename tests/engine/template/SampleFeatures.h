// Deterministic feature sets for the template tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

#include "engine/template/FeatureSet.h"

namespace lumo::engine::test {

// `count` minutiae spread over a width x height image by a fixed linear congruential sequence,
// so that every run (and every golden file) sees the same values.
inline FeatureSet sampleFeatures(int count = 40, int width = 400, int height = 500, std::uint32_t seed = 7)
{
    FeatureSet f;
    f.width = width;
    f.height = height;
    f.resolution = 500;
    f.quality = 0;
    std::uint32_t s = seed;
    auto next = [&s]() {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    };
    for (int i = 0; i < count; ++i) {
        Minutia m;
        m.x = static_cast<int>(next() % static_cast<std::uint32_t>(width));
        m.y = static_cast<int>(next() % static_cast<std::uint32_t>(height));
        m.angle = static_cast<float>((next() % 65536) * 2.0 * std::numbers::pi / 65536.0);
        m.type = static_cast<MinutiaType>(next() % 3);
        m.quality = static_cast<std::uint8_t>(next() % 101);
        f.minutiae.push_back(m);
    }
    return f;
}

inline double angleDistance(double a, double b)
{
    double d = std::fmod(std::fabs(a - b), 2 * std::numbers::pi);
    return std::min(d, 2 * std::numbers::pi - d);
}

}  // namespace lumo::engine::test
