#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/extract/Stages.h"

namespace lumo::engine {
namespace {

constexpr float kMinKernelPeriod = 3.0f;
constexpr float kMaxKernelPeriod = 20.0f;

struct Bilinear {
    int offset;  // top-left sample, in the padded raster
    float w00, w10, w01, w11;
};

}  // namespace

FloatPlane enhance(const FloatPlane& img, const OrientationField& orientation, const FloatPlane& period,
                   const Mask& mask, const EnhanceParams& p) {
    constexpr float pi = std::numbers::pi_v<float>;
    const int w = img.width, h = img.height;
    const int pad = std::max(p.alongRadius, p.acrossRadius) + 2;
    const int pw = w + 2 * pad, ph = h + 2 * pad;
    const int steps = std::max(4, p.angleSteps);
    const int na = 2 * p.alongRadius + 1, nc = 2 * p.acrossRadius + 1;

    // Filter bank: nearest-pixel taps along the ridge, bilinear taps across it.
    std::vector<int> along(static_cast<std::size_t>(steps) * na);
    std::vector<float> alongWeight(na);
    float alongSum = 0;
    for (int t = -p.alongRadius; t <= p.alongRadius; ++t) {
        alongWeight[t + p.alongRadius] = std::exp(-t * t / (2 * p.alongSigma * p.alongSigma));
        alongSum += alongWeight[t + p.alongRadius];
    }
    for (float& v : alongWeight) v /= alongSum;
    std::vector<Bilinear> across(static_cast<std::size_t>(steps) * nc);
    for (int s = 0; s < steps; ++s) {
        const float theta = s * pi / steps;
        const float ux = std::cos(theta), uy = std::sin(theta);
        for (int t = -p.alongRadius; t <= p.alongRadius; ++t)
            along[s * na + t + p.alongRadius] =
                static_cast<int>(std::lround(t * uy)) * pw + static_cast<int>(std::lround(t * ux));
        for (int t = -p.acrossRadius; t <= p.acrossRadius; ++t) {
            const float fx = -t * uy, fy = t * ux;
            const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
            const float ax = fx - x0, ay = fy - y0;
            across[s * nc + t + p.acrossRadius] = {y0 * pw + x0, (1 - ax) * (1 - ay), ax * (1 - ay),
                                                   (1 - ax) * ay, ax * ay};
        }
    }
    const int periods = static_cast<int>((kMaxKernelPeriod - kMinKernelPeriod) / p.periodStep) + 1;
    std::vector<float> kernels(static_cast<std::size_t>(periods) * nc);
    for (int k = 0; k < periods; ++k) {
        const float period = kMinKernelPeriod + k * p.periodStep;
        const float sigma = p.acrossSigmaPerPeriod * period;
        float* g = &kernels[static_cast<std::size_t>(k) * nc];
        float gauss[64], sumG = 0, sumGC = 0;
        for (int t = -p.acrossRadius; t <= p.acrossRadius; ++t) {
            gauss[t + p.acrossRadius] = std::exp(-t * t / (2 * sigma * sigma));
            sumG += gauss[t + p.acrossRadius];
            sumGC += gauss[t + p.acrossRadius] * std::cos(2 * pi * t / period);
        }
        // No response to flat grey; unit response to ridges of the tuned period.
        const float dc = sumGC / sumG;
        float gain = 0;
        for (int t = -p.acrossRadius; t <= p.acrossRadius; ++t) {
            const float c = std::cos(2 * pi * t / period);
            g[t + p.acrossRadius] = gauss[t + p.acrossRadius] * (c - dc);
            gain += g[t + p.acrossRadius] * c;
        }
        if (gain > 1e-6f)
            for (int t = 0; t < nc; ++t) g[t] /= gain;
    }

    std::vector<float> padded(static_cast<std::size_t>(pw) * ph, 0.0f), smoothed(padded.size(), 0.0f);
    for (int y = 0; y < h; ++y)
        std::copy_n(&img.data[static_cast<std::size_t>(y) * w], w, &padded[static_cast<std::size_t>(y + pad) * pw + pad]);
    auto bin = [&](int x, int y) {
        int s = static_cast<int>(std::lround(orientation.angle.at(x, y) * steps / pi));
        return s >= steps ? s - steps : s;
    };
    // Smoothing along the ridge is needed a filter's reach around the mask too.
    const int reach = p.acrossRadius + 1;
    BytePlane near(w, h);
    {
        // Rows/columns within reach of a mask pixel: a cheap dilation by running maxima.
        BytePlane rows(w, h);
        for (int y = 0; y < h; ++y) {
            int last = -1000000;
            for (int x = 0; x < w; ++x) {
                if (mask.at(x, y)) last = x;
                if (x - last <= reach) rows.at(x, y) = 1;
            }
            last = 1000000;
            for (int x = w - 1; x >= 0; --x) {
                if (mask.at(x, y)) last = x;
                if (last - x <= reach) rows.at(x, y) = 1;
            }
        }
        for (int x = 0; x < w; ++x) {
            int last = -1000000;
            for (int y = 0; y < h; ++y) {
                if (rows.at(x, y)) last = y;
                if (y - last <= reach) near.at(x, y) = 1;
            }
            last = 1000000;
            for (int y = h - 1; y >= 0; --y) {
                if (rows.at(x, y)) last = y;
                if (last - y <= reach) near.at(x, y) = 1;
            }
        }
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!near.at(x, y)) continue;
            const std::size_t i = static_cast<std::size_t>(y + pad) * pw + x + pad;
            const int* off = &along[static_cast<std::size_t>(bin(x, y)) * na];
            float s = 0;
            for (int t = 0; t < na; ++t) s += alongWeight[t] * padded[i + off[t]];
            smoothed[i] = s;
        }
    FloatPlane out(w, h, 0.0f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!mask.at(x, y)) continue;
            const std::size_t i = static_cast<std::size_t>(y + pad) * pw + x + pad;
            const Bilinear* taps = &across[static_cast<std::size_t>(bin(x, y)) * nc];
            int k = static_cast<int>(std::lround((period.at(x, y) - kMinKernelPeriod) / p.periodStep));
            k = std::clamp(k, 0, periods - 1);
            const float* g = &kernels[static_cast<std::size_t>(k) * nc];
            float s = 0;
            for (int t = 0; t < nc; ++t) {
                const Bilinear& b = taps[t];
                const float* q = &smoothed[i + b.offset];
                s += g[t] * (b.w00 * q[0] + b.w10 * q[1] + b.w01 * q[pw] + b.w11 * q[pw + 1]);
            }
            out.at(x, y) = s;
        }
    return out;
}

}  // namespace lumo::engine
