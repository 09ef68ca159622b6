#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/extract/Stages.h"

namespace lumo::engine {

OrientationField orientationField(const FloatPlane& normalized, const OrientationParams& params) {
    // Pores, specks and dotted ridges disturb gradients; ridges survive a light blur.
    FloatPlane img = normalized;
    for (int pass = 0; pass < params.preSmoothPasses; ++pass) img = boxMean(img, 1);
    const int w = img.width, h = img.height;
    FloatPlane a(w, h), b(w, h), c(w, h);
    auto px = [&](int x, int y) {
        x = x < 0 ? 0 : (x >= w ? w - 1 : x);
        y = y < 0 ? 0 : (y >= h ? h - 1 : y);
        return img.data[static_cast<std::size_t>(y) * w + x];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float gx = (px(x + 1, y - 1) + 2 * px(x + 1, y) + px(x + 1, y + 1)) -
                             (px(x - 1, y - 1) + 2 * px(x - 1, y) + px(x - 1, y + 1));
            const float gy = (px(x - 1, y + 1) + 2 * px(x, y + 1) + px(x + 1, y + 1)) -
                             (px(x - 1, y - 1) + 2 * px(x, y - 1) + px(x + 1, y - 1));
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            a.data[i] = gx * gx - gy * gy;
            b.data[i] = 2 * gx * gy;
            c.data[i] = gx * gx + gy * gy;
        }
    const FloatPlane A = boxMean(a, params.tensorRadius);
    const FloatPlane B = boxMean(b, params.tensorRadius);
    const FloatPlane C = boxMean(c, params.tensorRadius);
    OrientationField field{FloatPlane(w, h), FloatPlane(w, h)};
    for (std::size_t i = 0; i < A.data.size(); ++i)
        field.coherence.data[i] =
            C.data[i] > 1e-6f ? std::sqrt(A.data[i] * A.data[i] + B.data[i] * B.data[i]) / C.data[i] : 0.0f;
    // The doubled-angle vectors keep their strength as weight: clear flow dominates noise.
    // Clear flow keeps the tight smoothing (curvature near cores and deltas survives); noisy
    // flow borrows from the wide one.
    const FloatPlane A2 = boxMean(A, params.smoothRadius);
    const FloatPlane B2 = boxMean(B, params.smoothRadius);
    const FloatPlane A3 = boxMean(A2, params.wideSmoothRadius);
    const FloatPlane B3 = boxMean(B2, params.wideSmoothRadius);
    constexpr float pi = std::numbers::pi_v<float>;
    const float span = std::max(1e-3f, params.clearCoherence - params.noisyCoherence);
    for (std::size_t i = 0; i < A2.data.size(); ++i) {
        const float w = std::clamp((field.coherence.data[i] - params.noisyCoherence) / span, 0.0f, 1.0f);
        const float n2 = std::hypot(A2.data[i], B2.data[i]) + 1e-9f, n3 = std::hypot(A3.data[i], B3.data[i]) + 1e-9f;
        const float a = w * A2.data[i] / n2 + (1 - w) * A3.data[i] / n3;
        const float b = w * B2.data[i] / n2 + (1 - w) * B3.data[i] / n3;
        // Gradients run across the ridges; the ridge lies at right angles to them.
        float angle = 0.5f * std::atan2(b, a) + pi / 2;
        if (angle >= pi) angle -= pi;
        if (angle < 0) angle += pi;
        field.angle.data[i] = angle;
    }
    return field;
}

}  // namespace lumo::engine
