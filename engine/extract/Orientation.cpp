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
    const FloatPlane A2 = boxMean(A, params.smoothRadius);
    const FloatPlane B2 = boxMean(B, params.smoothRadius);
    constexpr float pi = std::numbers::pi_v<float>;
    for (std::size_t i = 0; i < A2.data.size(); ++i) {
        // Gradients run across the ridges; the ridge lies at right angles to them.
        float angle = 0.5f * std::atan2(B2.data[i], A2.data[i]) + pi / 2;
        if (angle >= pi) angle -= pi;
        if (angle < 0) angle += pi;
        field.angle.data[i] = angle;
    }
    return field;
}

}  // namespace lumo::engine
