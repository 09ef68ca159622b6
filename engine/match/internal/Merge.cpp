#include <algorithm>
#include <cmath>

#include "engine/match/MatchTemplate.h"
#include "engine/match/internal/Angles.h"
#include "engine/match/internal/Merge.h"

namespace lumo::engine::match {
namespace {

// Convex hull test in feature-set pixels (y down), grown by margin.
bool inside(const std::vector<MatchTemplate::Point>& hull, float x, float y, float margin) {
    if (hull.size() < 3) return false;
    for (std::size_t i = 0; i < hull.size(); ++i) {
        const auto& a = hull[i];
        const auto& b = hull[(i + 1) % hull.size()];
        const float ex = b.x - a.x, ey = b.y - a.y, len = std::hypot(ex, ey);
        if (len > 0 && (ex * (y - a.y) - ey * (x - a.x)) / len < -margin) return false;
    }
    return true;
}

}  // namespace

MergeOutcome mergeInto(FeatureSet& registration, const FeatureSet& impression, const MatchResult& alignment,
                       const MergeTolerance& tol) {
    MergeOutcome out;
    const std::size_t n = registration.minutiae.size();
    out.confirmed.assign(n, false);
    out.covered.assign(n, false);
    // Hulls in matching coordinates (y up), as MatchTemplate keeps them.
    const MatchTemplate registered(registration);
    const MatchTemplate pressed(impression);
    std::vector<Minutia> additions;
    for (const Minutia& m : impression.minutiae) {
        const auto [x, y] = alignment.mapPoint(static_cast<float>(m.x), static_cast<float>(m.y));
        const float angle = alignment.mapAngle(m.angle);
        int nearest = -1;
        float best = tol.distance;
        for (std::size_t i = 0; i < n; ++i) {
            const Minutia& r = registration.minutiae[i];
            const float d = std::hypot(r.x - x, r.y - y);
            if (d <= best && distance(wrap(r.angle), angle) <= tol.angle) {
                best = d;
                nearest = static_cast<int>(i);
            }
        }
        if (nearest >= 0) {
            out.confirmed[static_cast<std::size_t>(nearest)] = true;
            continue;
        }
        const int ix = static_cast<int>(std::lround(x)), iy = static_cast<int>(std::lround(y));
        if (ix < 0 || iy < 0 || ix >= registration.width || iy >= registration.height) continue;
        if (inside(registered.hull(), x, -y, tol.hullMargin)) continue;
        Minutia added = m;
        added.x = ix;
        added.y = iy;
        added.angle = angle;
        additions.push_back(added);
    }
    // Which registered minutiae the impression could have shown (inverse mapping into its area).
    const float c = std::cos(alignment.rotation), s = std::sin(alignment.rotation);
    for (std::size_t i = 0; i < n; ++i) {
        const float X = registration.minutiae[i].x - alignment.dx, Y = -registration.minutiae[i].y - alignment.dy;
        out.covered[i] = inside(pressed.hull(), c * X + s * Y, -s * X + c * Y, 0.0f);
    }
    out.added = static_cast<int>(additions.size());
    registration.minutiae.insert(registration.minutiae.end(), additions.begin(), additions.end());
    return out;
}

}  // namespace lumo::engine::match
