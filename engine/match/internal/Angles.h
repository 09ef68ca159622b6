// Angle helpers of the matcher (internal).
#pragma once

#include <cmath>
#include <numbers>

namespace lumo::engine::match {

inline constexpr float kPi = std::numbers::pi_v<float>;
inline constexpr float kTwoPi = 2 * std::numbers::pi_v<float>;

// a in [0, 2*pi)
inline float wrap(float a) {
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a >= kTwoPi ? 0.0f : a;
}
// |a - b| on the circle, in [0, pi]; inputs in [0, 2*pi)
inline float distance(float a, float b) {
    const float d = std::fabs(a - b);
    return d > kPi ? kTwoPi - d : d;
}

}  // namespace lumo::engine::match
