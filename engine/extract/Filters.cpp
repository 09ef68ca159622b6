#include <algorithm>
#include <deque>

#include "engine/extract/Stages.h"

namespace lumo::engine {

// Labels connected regions of cells equal to `value` (8- or 4-connected); returns labels
// (-1 for other cells) and the size of each region.
std::vector<int> labelRegions(const BytePlane& grid, std::uint8_t value, bool eight, std::vector<int>& sizes) {
    std::vector<int> labels(grid.data.size(), -1);
    std::deque<int> queue;
    for (int start = 0; start < static_cast<int>(grid.data.size()); ++start) {
        if (grid.data[start] != value || labels[start] >= 0) continue;
        const int id = static_cast<int>(sizes.size());
        sizes.push_back(0);
        labels[start] = id;
        queue.push_back(start);
        while (!queue.empty()) {
            const int i = queue.front();
            queue.pop_front();
            ++sizes[id];
            const int x = i % grid.width, y = i / grid.width;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if ((dx == 0 && dy == 0) || (!eight && dx != 0 && dy != 0)) continue;
                    const int nx = x + dx, ny = y + dy;
                    if (!grid.contains(nx, ny)) continue;
                    const int j = ny * grid.width + nx;
                    if (grid.data[j] == value && labels[j] < 0) {
                        labels[j] = id;
                        queue.push_back(j);
                    }
                }
        }
    }
    return labels;
}


FloatPlane boxMean(const FloatPlane& in, int radius) {
    // Running sums: along each row, then down the columns a row at a time (cache friendly).
    const int w = in.width, h = in.height;
    FloatPlane tmp(w, h), out(w, h);
    std::vector<double> prefix(static_cast<std::size_t>(w) + 1);
    for (int y = 0; y < h; ++y) {
        const float* row = &in.data[static_cast<std::size_t>(y) * w];
        prefix[0] = 0.0;
        for (int x = 0; x < w; ++x) prefix[x + 1] = prefix[x] + row[x];
        float* o = &tmp.data[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            const int a = std::max(0, x - radius), b = std::min(w - 1, x + radius);
            o[x] = static_cast<float>((prefix[b + 1] - prefix[a]) / (b - a + 1));
        }
    }
    std::vector<double> column(static_cast<std::size_t>(w), 0.0);
    auto addRow = [&](int y, double sign) {
        const float* row = &tmp.data[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) column[x] += sign * row[x];
    };
    for (int y = 0; y < std::min(h, radius); ++y) addRow(y, 1.0);
    for (int y = 0; y < h; ++y) {
        if (y + radius < h) addRow(y + radius, 1.0);
        if (y - radius - 1 >= 0) addRow(y - radius - 1, -1.0);
        const int count = std::min(h - 1, y + radius) - std::max(0, y - radius) + 1;
        const double scale = 1.0 / count;
        float* o = &out.data[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) o[x] = static_cast<float>(column[x] * scale);
    }
    return out;
}

FloatPlane distanceToBackground(const Mask& mask) {
    // Two-pass chamfer (3-4) distance; the image edge counts as background.
    const int w = mask.width, h = mask.height;
    const float big = 1e9f;
    FloatPlane d(w, h);
    for (std::size_t i = 0; i < d.data.size(); ++i) d.data[i] = mask.data[i] ? big : 0.0f;
    auto get = [&](int x, int y) { return d.contains(x, y) ? d.at(x, y) : 0.0f; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float& v = d.at(x, y);
            if (v == 0.0f) continue;
            v = std::min({v, get(x - 1, y) + 3, get(x, y - 1) + 3, get(x - 1, y - 1) + 4, get(x + 1, y - 1) + 4});
        }
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x) {
            float& v = d.at(x, y);
            if (v == 0.0f) continue;
            v = std::min({v, get(x + 1, y) + 3, get(x, y + 1) + 3, get(x + 1, y + 1) + 4, get(x - 1, y + 1) + 4});
        }
    for (float& v : d.data) v /= 3.0f;
    return d;
}

}  // namespace lumo::engine
