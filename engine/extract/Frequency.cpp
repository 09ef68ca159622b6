#include <algorithm>
#include <cmath>

#include "engine/extract/Stages.h"

namespace lumo::engine {
namespace {

// Period of one block, or 0 when the profile shows no clear repetition.
float blockPeriod(const FloatPlane& img, const OrientationField& orientation, int cx, int cy,
                  const FrequencyParams& p) {
    const float theta = orientation.angle.at(cx, cy);
    const float ux = std::cos(theta), uy = std::sin(theta);
    const float nx = -uy, ny = ux;
    const int n = 2 * p.across + 1;
    float sum[96] = {}, count[96] = {};
    const int r = std::max(p.across, p.along) + 1;
    for (int dy = -r; dy <= r; ++dy) {
        const int y = cy + dy;
        if (y < 0 || y >= img.height) continue;
        for (int dx = -r; dx <= r; ++dx) {
            const int x = cx + dx;
            if (x < 0 || x >= img.width) continue;
            const float s = dx * ux + dy * uy;
            if (std::fabs(s) > p.along) continue;
            const int bin = static_cast<int>(std::lround(dx * nx + dy * ny)) + p.across;
            if (bin < 0 || bin >= n) continue;
            sum[bin] += img.at(x, y);
            count[bin] += 1;
        }
    }
    float profile[96];
    float mean = 0;
    int used = 0;
    for (int i = 0; i < n; ++i) {
        profile[i] = count[i] > 0 ? sum[i] / count[i] : 0.0f;
        mean += profile[i];
        used += count[i] > 0;
    }
    if (used < n * 3 / 4) return 0.0f;
    mean /= n;
    for (int i = 0; i < n; ++i) profile[i] -= mean;
    auto corr = [&](int lag) {
        float s = 0;
        for (int i = 0; i + lag < n; ++i) s += profile[i] * profile[i + lag];
        return s / (n - lag);
    };
    const float r0 = corr(0);
    if (r0 <= 1e-6f) return 0.0f;
    const int lo = static_cast<int>(std::floor(p.minPeriod)), hi = std::min(n - 2, static_cast<int>(std::ceil(p.maxPeriod)));
    int best = -1;
    float bestValue = -1e9f;
    std::vector<float> rs(static_cast<std::size_t>(hi + 2));
    for (int lag = lo - 1; lag <= hi + 1; ++lag) rs[lag] = corr(lag);
    for (int lag = lo; lag <= hi; ++lag)
        if (rs[lag] >= rs[lag - 1] && rs[lag] >= rs[lag + 1] && rs[lag] > bestValue) bestValue = rs[lag];
    // Multiples of the period peak about as high as the period itself: take the first clear peak.
    for (int lag = lo; lag <= hi && best < 0; ++lag)
        if (rs[lag] >= rs[lag - 1] && rs[lag] >= rs[lag + 1] && rs[lag] >= 0.8f * bestValue) best = lag;
    if (best < 0 || bestValue < p.minPeak * r0) return 0.0f;
    const float a = rs[best - 1], b = rs[best], c = rs[best + 1];
    const float denom = a - 2 * b + c;
    const float shift = std::fabs(denom) > 1e-9f ? std::clamp(0.5f * (a - c) / denom, -0.5f, 0.5f) : 0.0f;
    return best + shift;
}

}  // namespace

FloatPlane ridgePeriod(const FloatPlane& img, const OrientationField& orientation, const Mask& mask,
                       const FrequencyParams& p) {
    const int bs = p.blockSize;
    const int bw = (img.width + bs - 1) / bs, bh = (img.height + bs - 1) / bs;
    FloatPlane blocks(bw, bh, 0.0f);
    bool any = false;
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx) {
            const int cx = std::min(img.width - 1, bx * bs + bs / 2), cy = std::min(img.height - 1, by * bs + bs / 2);
            if (!mask.at(cx, cy)) continue;
            const float period = blockPeriod(img, orientation, cx, cy, p);
            if (period >= p.minPeriod && period <= p.maxPeriod) {
                blocks.at(bx, by) = period;
                any = true;
            }
        }
    if (!any) return FloatPlane(img.width, img.height, p.defaultPeriod);

    // Blocks without a clear period take the mean of measured neighbours, growing outwards.
    for (bool changed = true; changed;) {
        changed = false;
        FloatPlane next = blocks;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x) {
                if (blocks.at(x, y) > 0) continue;
                float s = 0;
                int k = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (blocks.contains(x + dx, y + dy) && blocks.at(x + dx, y + dy) > 0) {
                            s += blocks.at(x + dx, y + dy);
                            ++k;
                        }
                if (k > 0) {
                    next.at(x, y) = s / k;
                    changed = true;
                }
            }
        blocks = std::move(next);
    }
    FloatPlane smooth(bw, bh);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            float s = 0;
            int k = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (blocks.contains(x + dx, y + dy)) {
                        s += blocks.at(x + dx, y + dy);
                        ++k;
                    }
            smooth.at(x, y) = std::clamp(s / k, p.minPeriod, p.maxPeriod);
        }
    // Bilinear between block centres.
    FloatPlane out(img.width, img.height);
    for (int y = 0; y < img.height; ++y) {
        const float fy = std::clamp((y - bs / 2.0f) / bs, 0.0f, bh - 1.0f);
        const int y0 = std::min(static_cast<int>(fy), bh - 1), y1 = std::min(y0 + 1, bh - 1);
        const float wy = fy - y0;
        for (int x = 0; x < img.width; ++x) {
            const float fx = std::clamp((x - bs / 2.0f) / bs, 0.0f, bw - 1.0f);
            const int x0 = std::min(static_cast<int>(fx), bw - 1), x1 = std::min(x0 + 1, bw - 1);
            const float wx = fx - x0;
            out.at(x, y) = (1 - wy) * ((1 - wx) * smooth.at(x0, y0) + wx * smooth.at(x1, y0)) +
                           wy * ((1 - wx) * smooth.at(x0, y1) + wx * smooth.at(x1, y1));
        }
    }
    return out;
}

}  // namespace lumo::engine
