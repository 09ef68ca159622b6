#include "engine/match/MatchTemplate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/match/internal/Angles.h"

namespace lumo::engine {

MatchTemplate::MatchTemplate(const FeatureSet& features, const MatchParams& params) : m_features(features) {
    // Edges address neighbours with 16 bits.
    const std::size_t n = std::min<std::size_t>(features.minutiae.size(), 65535);
    m_minutiae.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Minutia& f = features.minutiae[i];
        m_minutiae.push_back({static_cast<float>(f.x), -static_cast<float>(f.y), match::wrap(f.angle), f.type,
                              f.quality / 100.0f});
    }
    m_edgeStart.reserve(n + 1);
    std::vector<std::pair<float, std::size_t>> near;
    for (std::size_t i = 0; i < n; ++i) {
        m_edgeStart.push_back(m_edges.size());
        near.clear();
        const MinutiaPoint& a = m_minutiae[i];
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i) continue;
            const float d = std::hypot(m_minutiae[j].x - a.x, m_minutiae[j].y - a.y);
            if (d <= params.maxEdgeLength && d > 0.0f) near.emplace_back(d, j);
        }
        const std::size_t k = std::min<std::size_t>(near.size(), static_cast<std::size_t>(params.neighbours));
        std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(k), near.end());
        for (std::size_t e = 0; e < k; ++e) {
            const MinutiaPoint& b = m_minutiae[near[e].second];
            const float direction = std::atan2(b.y - a.y, b.x - a.x);
            m_edges.push_back({near[e].first, match::wrap(direction - a.angle), match::wrap(direction - b.angle),
                               static_cast<std::uint16_t>(near[e].second)});
        }
    }
    m_edgeStart.push_back(m_edges.size());

    // Convex hull (monotone chain), counter-clockwise.
    std::vector<Point> pts;
    pts.reserve(n);
    for (const MinutiaPoint& m : m_minutiae) pts.push_back({m.x, m.y});
    std::sort(pts.begin(), pts.end(), [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    auto cross = [](const Point& o, const Point& a, const Point& b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    if (pts.size() >= 3) {
        std::vector<Point> hull(2 * pts.size());
        std::size_t k = 0;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
            hull[k++] = pts[i];
        }
        for (std::size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
            while (k >= t && cross(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0) --k;
            hull[k++] = pts[i - 1];
        }
        hull.resize(k - 1);
        m_hull = std::move(hull);
    } else {
        m_hull = pts;
    }
    for (std::size_t i = 0; i < m_hull.size(); ++i) {
        const Point& a = m_hull[i];
        const Point& b = m_hull[(i + 1) % m_hull.size()];
        const float len = std::hypot(b.x - a.x, b.y - a.y);
        m_hullInverseLength.push_back(len > 0 ? 1.0f / len : 0.0f);
    }
}

}  // namespace lumo::engine
