#include "control/dialogs/HandMap.h"

#include <algorithm>
#include <cstdlib>

namespace lumo::dialogs {

namespace {

constexpr std::array<QPoint, HandMap::kFingerCount> kSeeds = {{
    {99, 113},
    {88, 53},
    {66, 48},
    {44, 42},
    {19, 48},
    {156, 113},
    {168, 55},
    {191, 49},
    {212, 44},
    {238, 46},
}};

const std::vector<QPoint> kNoRegion;

}  // namespace

QPoint HandMap::seed(int finger) {
    if (finger < 1 || finger > kFingerCount) return {-1, -1};
    return kSeeds[size_t(finger - 1)];
}

std::vector<QPoint> HandMap::fill(const QImage& source, QPoint seed) {
    if (!source.rect().contains(seed)) return {};
    // Colours compare as red, green and blue only.
    const QImage picture = source.convertToFormat(QImage::Format_RGB32);
    const int width = picture.width();
    const int height = picture.height();
    auto rgb = [&picture](int x, int y) {
        return reinterpret_cast<const QRgb*>(picture.constScanLine(y))[x] & 0x00FFFFFFu;
    };
    const QRgb reference = rgb(seed.x(), seed.y());
    // The visited grid has a margin of five, as the fill has always had.
    std::vector<bool> visited(size_t(width + 5) * size_t(height + 5), false);
    auto mark = [&](int x, int y) { visited[size_t(y) * size_t(width + 5) + size_t(x)] = true; };
    auto seen = [&](int x, int y) { return visited[size_t(y) * size_t(width + 5) + size_t(x)]; };

    std::vector<QPoint> work;
    work.reserve(1024);
    work.push_back(seed);
    mark(seed.x(), seed.y());
    size_t next = 0;
    auto consider = [&](int x, int y) {
        if (seen(x, y) || rgb(x, y) != reference) return;
        mark(x, y);
        work.push_back({x, y});
    };
    while (next < work.size()) {
        const QPoint p = work[next++];
        if (p.x() + 1 < width) consider(p.x() + 1, p.y());
        if (p.x() - 1 >= 0) consider(p.x() - 1, p.y());
        if (p.y() + 1 < height) consider(p.x(), p.y() + 1);
        if (p.y() - 1 >= 0) consider(p.x(), p.y() - 1);
        if (work.size() > kWorkListTrim) {
            // Points already taken leave the list (and so the region) for good.
            work.erase(work.begin(), work.begin() + std::ptrdiff_t(next));
            next = 0;
        }
    }
    return work;
}

void HandMap::build(const QImage& picture) {
    for (int n = 1; n <= kFingerCount; ++n) {
        m_regions[size_t(n - 1)].clear();
        m_regions[size_t(n - 1)] = fill(picture, seed(n));
    }
}

const std::vector<QPoint>& HandMap::region(int finger) const {
    if (finger < 1 || finger > kFingerCount) return kNoRegion;
    return m_regions[size_t(finger - 1)];
}

int HandMap::fingerAt(QPoint point) const {
    struct Candidate {
        int distance;
        int finger;
    };
    std::vector<Candidate> candidates;
    for (int n = 1; n <= kFingerCount; ++n) {
        const int d = std::abs(seed(n).x() - point.x());
        if (d < 1000) candidates.push_back({d, n});
    }
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
    int found = 0;
    for (const Candidate& c : candidates) {
        const std::vector<QPoint>& r = m_regions[size_t(c.finger - 1)];
        if (std::find(r.begin(), r.end(), point) != r.end()) found = c.finger;
    }
    return found;
}

}  // namespace lumo::dialogs
