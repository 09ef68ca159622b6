#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/extract/Stages.h"

namespace lumo::engine {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

float wrap2Pi(float a) {
    a = std::fmod(a, 2 * kPi);
    return a < 0 ? a + 2 * kPi : a;
}
// Absolute difference of two directions, 0..pi.
float angleDistance(float a, float b) {
    const float d = std::fabs(wrap2Pi(a - b));
    return d > kPi ? 2 * kPi - d : d;
}

struct Point {
    int x, y;
};

class Tracer {
public:
    Tracer(const BytePlane& skeleton, const Plane<int>& ids)
        : m_skeleton(skeleton), m_ids(ids), m_stamp(skeleton.width, skeleton.height, 0) {}

    // Follows the ridge from `from` through `first` until another minutia, a dead end or
    // maxLength pixels. Pixels stamped with the current stamp are never entered.
    struct Result {
        std::vector<Point> path;
        int hit = -1;
    };
    void newStamp() { ++m_current; }
    void mark(Point p) { m_stamp.at(p.x, p.y) = m_current; }

    Result follow(int self, Point first, int maxLength) {
        Result r;
        Point cur = first;
        for (;;) {
            const int id = m_ids.at(cur.x, cur.y);
            if (id >= 0 && id != self) {
                r.hit = id;
                r.path.push_back(cur);
                return r;
            }
            mark(cur);
            r.path.push_back(cur);
            if (static_cast<int>(r.path.size()) >= maxLength) return r;
            int next = -1;
            for (int pass = 0; pass < 2 && next < 0; ++pass)
                for (int k = pass; k < 8; k += 2) {  // 4-neighbours first
                    const int nx = cur.x + kDx[k], ny = cur.y + kDy[k];
                    if (m_skeleton.contains(nx, ny) && m_skeleton.at(nx, ny) && m_stamp.at(nx, ny) != m_current) {
                        next = k;
                        break;
                    }
                }
            if (next < 0) return r;
            cur = {cur.x + kDx[next], cur.y + kDy[next]};
        }
    }

private:
    const BytePlane& m_skeleton;
    const Plane<int>& m_ids;
    Plane<int> m_stamp;
    int m_current = 0;
};

}  // namespace

std::vector<DetectedMinutia> detectMinutiae(const BytePlane& skeleton, const OrientationField& orientation,
                                            const FloatPlane& distance, const MinutiaeParams& p) {
    const int w = skeleton.width, h = skeleton.height;
    std::vector<DetectedMinutia> found;
    Plane<int> ids(w, h, -1);
    auto ring = [&](int x, int y, int k) {
        const int nx = x + kDx[k], ny = y + kDy[k];
        return skeleton.contains(nx, ny) && skeleton.at(nx, ny);
    };
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            if (!skeleton.at(x, y)) continue;
            int crossings = 0;
            for (int k = 0; k < 8; ++k) crossings += ring(x, y, k) != ring(x, y, (k + 1) % 8);
            crossings /= 2;
            if (crossings != 1 && crossings != 3) continue;
            if (crossings == 3) {
                // Neighbouring fork pixels are one fork.
                int adjacent = -1;
                for (int k = 0; k < 8 && adjacent < 0; ++k) {
                    const int id = ids.at(x + kDx[k], y + kDy[k]);
                    if (id >= 0 && found[id].type == MinutiaType::Bifurcation) adjacent = id;
                }
                if (adjacent >= 0) {
                    ids.at(x, y) = adjacent;
                    continue;
                }
            }
            DetectedMinutia m;
            m.x = x;
            m.y = y;
            m.type = crossings == 1 ? MinutiaType::Ending : MinutiaType::Bifurcation;
            ids.at(x, y) = static_cast<int>(found.size());
            found.push_back(m);
        }

    Tracer tracer(skeleton, ids);
    for (int i = 0; i < static_cast<int>(found.size()); ++i) {
        DetectedMinutia& m = found[static_cast<std::size_t>(i)];
        tracer.newStamp();
        tracer.mark({m.x, m.y});
        // Branch starts: one per run of set pixels around the minutia, 4-neighbours preferred.
        std::vector<Point> starts;
        for (int k = 0; k < 8; ++k) {
            if (!ring(m.x, m.y, k) || ring(m.x, m.y, (k + 7) % 8)) continue;  // k starts a run
            int best = k;
            for (int j = k; ring(m.x, m.y, j % 8) && j < k + 8; ++j)
                if ((j % 8) % 2 == 0) {
                    best = j % 8;
                    break;
                }
            starts.push_back({m.x + kDx[best], m.y + kDy[best]});
        }
        for (const Point& s : starts) tracer.mark(s);
        std::vector<float> vx, vy;
        for (std::size_t b = 0; b < starts.size() && b < 3; ++b) {
            const Tracer::Result r = tracer.follow(i, starts[b], p.traceLength);
            m.linkedTo[b] = r.hit;
            m.linkLength[b] = static_cast<int>(r.path.size());
            const std::size_t at = std::min<std::size_t>(r.path.size(), static_cast<std::size_t>(p.directionLength)) - 1;
            vx.push_back(static_cast<float>(r.path[at].x - m.x));
            vy.push_back(static_cast<float>(r.path[at].y - m.y));
        }
        float dx = 0, dy = 0;
        if (m.type == MinutiaType::Ending && !vx.empty()) {
            // Away from the ridge's body.
            dx = -vx[0];
            dy = -vy[0];
        } else if (vx.size() == 3) {
            // The two branches run side by side; the direction follows the stem.
            float bestCos = -2;
            int stem = 0;
            for (int a = 0; a < 3; ++a) {
                const int b = (a + 1) % 3, c = (a + 2) % 3;
                const float nb = std::hypot(vx[b], vy[b]), nc = std::hypot(vx[c], vy[c]);
                const float cosine = nb > 0 && nc > 0 ? (vx[b] * vx[c] + vy[b] * vy[c]) / (nb * nc) : -1;
                if (cosine > bestCos) {
                    bestCos = cosine;
                    stem = a;
                }
            }
            dx = vx[stem];
            dy = vy[stem];
        }
        const float axis = orientation.angle.at(m.x, m.y);
        if (dx == 0 && dy == 0) {
            m.direction = axis;
        } else {
            const float traced = wrap2Pi(std::atan2(dy, dx));
            const float flow = angleDistance(axis, traced) < kPi / 2 ? axis : wrap2Pi(axis + kPi);
            // The smoothed flow is the more precise axis unless the ridge clearly bends away.
            m.direction = angleDistance(flow, traced) < 0.6f ? flow : traced;
        }
        const float coherence = orientation.coherence.at(m.x, m.y);
        const float border = std::clamp(distance.at(m.x, m.y) / 32.0f, 0.25f, 1.0f);
        m.quality = std::clamp(coherence * 1.4f, 0.0f, 1.0f) * border;
    }
    return found;
}

std::vector<DetectedMinutia> removeFalseMinutiae(const std::vector<DetectedMinutia>& in,
                                                 const OrientationField& orientation, const FloatPlane& distance,
                                                 const FilterParams& p) {
    const std::size_t n = in.size();
    std::vector<bool> drop(n, false);
    auto isEnding = [&](int i) { return in[static_cast<std::size_t>(i)].type == MinutiaType::Ending; };
    for (std::size_t i = 0; i < n; ++i) {
        const DetectedMinutia& m = in[i];
        const int branches = m.type == MinutiaType::Ending ? 1 : 3;
        for (int b = 0; b < branches; ++b) {
            const int j = m.linkedTo[static_cast<std::size_t>(b)];
            if (j < 0) continue;
            const int len = m.linkLength[static_cast<std::size_t>(b)];
            const bool spur = isEnding(static_cast<int>(i)) != isEnding(j) && len <= p.spurLength;
            const bool island = isEnding(static_cast<int>(i)) && isEnding(j) && len <= p.shortRidgeLength;
            const bool bridge = !isEnding(static_cast<int>(i)) && !isEnding(j) && len <= p.bridgeLength;
            if (spur || island || bridge) drop[i] = drop[static_cast<std::size_t>(j)] = true;
        }
    }
    auto dist = [&](std::size_t a, std::size_t b) {
        return std::hypot(static_cast<float>(in[a].x - in[b].x), static_cast<float>(in[a].y - in[b].y));
    };
    // Broken ridges: two endings that point at each other.
    for (std::size_t i = 0; i < n; ++i) {
        if (drop[i] || in[i].type != MinutiaType::Ending) continue;
        for (std::size_t j = i + 1; j < n; ++j) {
            if (drop[j] || in[j].type != MinutiaType::Ending || dist(i, j) > p.breakDistance) continue;
            const float toJ = std::atan2(static_cast<float>(in[j].y - in[i].y), static_cast<float>(in[j].x - in[i].x));
            if (angleDistance(in[i].direction, wrap2Pi(in[j].direction + kPi)) < p.breakAngle &&
                angleDistance(in[i].direction, wrap2Pi(toJ)) < p.breakAngle) {
                drop[i] = drop[j] = true;
                break;
            }
        }
    }
    std::vector<bool> crowded(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        if (drop[i]) continue;
        int neighbours = 0;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i || drop[j]) continue;
            const float d = dist(i, j);
            if (d < p.minDistance) crowded[i] = true;
            if (d < p.clusterRadius) ++neighbours;
        }
        if (neighbours > p.clusterCount) crowded[i] = true;
    }
    std::vector<DetectedMinutia> out;
    for (std::size_t i = 0; i < n; ++i) {
        if (drop[i] || crowded[i]) continue;
        const DetectedMinutia& m = in[i];
        if (distance.at(m.x, m.y) < p.borderMargin) continue;
        if (orientation.coherence.at(m.x, m.y) < p.minCoherence) continue;
        out.push_back(m);
    }
    if (static_cast<int>(out.size()) > p.maxMinutiae) {
        std::stable_sort(out.begin(), out.end(),
                         [](const DetectedMinutia& a, const DetectedMinutia& b) { return a.quality > b.quality; });
        out.resize(static_cast<std::size_t>(p.maxMinutiae));
    }
    return out;
}

}  // namespace lumo::engine
