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
    // The tensor is summed over 2 x 2 cells: orientation changes slowly at that scale, and the
    // smoothing that follows costs a quarter.
    const int hw = (w + 1) / 2, hh = (h + 1) / 2;
    FloatPlane a(hw, hh), b(hw, hh), c(hw, hh);
    for (int y = 0; y < h; ++y) {
        // Rows above and below, clamped at the image edge.
        const float* up = &img.data[static_cast<std::size_t>(y > 0 ? y - 1 : 0) * w];
        const float* mid = &img.data[static_cast<std::size_t>(y) * w];
        const float* down = &img.data[static_cast<std::size_t>(y + 1 < h ? y + 1 : y) * w];
        for (int x = 0; x < w; ++x) {
            const int l = x > 0 ? x - 1 : 0, r = x + 1 < w ? x + 1 : x;
            const float gx = (up[r] + 2 * mid[r] + down[r]) - (up[l] + 2 * mid[l] + down[l]);
            const float gy = (down[l] + 2 * down[x] + down[r]) - (up[l] + 2 * up[x] + up[r]);
            const std::size_t i = static_cast<std::size_t>(y / 2) * hw + x / 2;
            a.data[i] += gx * gx - gy * gy;
            b.data[i] += 2 * gx * gy;
            c.data[i] += gx * gx + gy * gy;
        }
    }
    const auto half = [](int r) { return std::max(1, (r + 1) / 2); };
    const FloatPlane A = boxMean(a, half(params.tensorRadius));
    const FloatPlane B = boxMean(b, half(params.tensorRadius));
    const FloatPlane C = boxMean(c, half(params.tensorRadius));
    FloatPlane coherence(hw, hh);
    for (std::size_t i = 0; i < A.data.size(); ++i)
        coherence.data[i] = C.data[i] > 1e-6f ? std::sqrt(A.data[i] * A.data[i] + B.data[i] * B.data[i]) / C.data[i] : 0.0f;
    // The doubled-angle vectors keep their strength as weight: clear flow dominates noise.
    // Clear flow keeps the tight smoothing (curvature near cores and deltas survives); noisy
    // flow borrows from the wide one.
    const FloatPlane A2 = boxMean(A, half(params.smoothRadius));
    const FloatPlane B2 = boxMean(B, half(params.smoothRadius));
    const FloatPlane A3 = boxMean(A2, half(params.wideSmoothRadius));
    const FloatPlane B3 = boxMean(B2, half(params.wideSmoothRadius));
    const float span = std::max(1e-3f, params.clearCoherence - params.noisyCoherence);
    FloatPlane vx(hw, hh), vy(hw, hh);
    for (std::size_t i = 0; i < A2.data.size(); ++i) {
        const float wt = std::clamp((coherence.data[i] - params.noisyCoherence) / span, 0.0f, 1.0f);
        const float n2 = std::sqrt(A2.data[i] * A2.data[i] + B2.data[i] * B2.data[i]) + 1e-9f;
        const float n3 = std::sqrt(A3.data[i] * A3.data[i] + B3.data[i] * B3.data[i]) + 1e-9f;
        vx.data[i] = wt * A2.data[i] / n2 + (1 - wt) * A3.data[i] / n3;
        vy.data[i] = wt * B2.data[i] / n2 + (1 - wt) * B3.data[i] / n3;
    }
    // Back to every pixel: vectors and coherence interpolated between cell centres.
    constexpr float pi = std::numbers::pi_v<float>;
    OrientationField field{FloatPlane(w, h), FloatPlane(w, h)};
    for (int y = 0; y < h; ++y) {
        const float fy = std::clamp((y - 0.5f) * 0.5f, 0.0f, hh - 1.0f);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, hh - 1);
        const float ty = fy - y0;
        for (int x = 0; x < w; ++x) {
            const float fx = std::clamp((x - 0.5f) * 0.5f, 0.0f, hw - 1.0f);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, hw - 1);
            const float tx = fx - x0;
            auto lerp = [&](const FloatPlane& p) {
                return (1 - ty) * ((1 - tx) * p.at(x0, y0) + tx * p.at(x1, y0)) + ty * ((1 - tx) * p.at(x0, y1) + tx * p.at(x1, y1));
            };
            // Gradients run across the ridges; the ridge lies at right angles to them.
            float angle = 0.5f * std::atan2(lerp(vy), lerp(vx)) + pi / 2;
            if (angle >= pi) angle -= pi;
            if (angle < 0) angle += pi;
            field.angle.at(x, y) = angle;
            field.coherence.at(x, y) = lerp(coherence);
        }
    }
    return field;
}

}  // namespace lumo::engine
