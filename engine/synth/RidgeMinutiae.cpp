#include "engine/synth/RidgeMinutiae.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace lumo::engine::synth {

namespace {

// The 8-neighbourhood in ring order, starting north, clockwise (y down).
constexpr std::array<int, 8> kDx = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr std::array<int, 8> kDy = {-1, -1, 0, 1, 1, 1, 0, -1};
constexpr int kTraceLength = 10;

struct Candidate {
    int x, y;
    MinutiaType type;
    bool dropped = false;
};

class Skeleton {
public:
    Skeleton(const std::vector<std::uint8_t>& pixels, int width, int height)
        : m_p(pixels), m_w(width), m_h(height)
    {
    }
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < m_w && y < m_h && m_p[y * m_w + x]; }
    int crossingNumber(int x, int y) const
    {
        int transitions = 0;
        for (int i = 0; i < 8; ++i) {
            const bool a = at(x + kDx[i], y + kDy[i]);
            const bool b = at(x + kDx[(i + 1) % 8], y + kDy[(i + 1) % 8]);
            transitions += a != b;
        }
        return transitions / 2;
    }
    // Starting pixels of the branches leaving (x, y): one per run of set pixels on the ring,
    // a 4-neighbour where the run has one.
    std::vector<std::pair<int, int>> branchStarts(int x, int y) const
    {
        std::vector<std::pair<int, int>> starts;
        int first = -1;
        for (int i = 0; i < 8 && first < 0; ++i)
            if (!at(x + kDx[i], y + kDy[i])) first = i;
        if (first < 0) return starts;
        std::vector<int> run;
        // The ring ends on `first`, which is unset, so every run is closed inside the loop.
        for (int k = 1; k <= 8; ++k) {
            const int i = (first + k) % 8;
            if (at(x + kDx[i], y + kDy[i])) {
                run.push_back(i);
                continue;
            }
            if (run.empty()) continue;
            int best = run.front();
            for (int r : run)
                if (r % 2 == 0) best = r;
            starts.emplace_back(x + kDx[best], y + kDy[best]);
            run.clear();
        }
        return starts;
    }
    // Follows the skeleton from `start` (leaving `from`) for up to kTraceLength steps; returns
    // the last pixel reached and the steps made.
    std::pair<std::pair<int, int>, int> trace(int fromX, int fromY, int startX, int startY,
                                              const std::vector<std::pair<int, int>>& avoid) const
    {
        std::vector<std::pair<int, int>> visited = avoid;
        visited.emplace_back(fromX, fromY);
        int x = startX, y = startY;
        int steps = 1;
        auto seen = [&](int px, int py) {
            return std::find(visited.begin(), visited.end(), std::make_pair(px, py)) != visited.end();
        };
        while (steps < kTraceLength) {
            visited.emplace_back(x, y);
            int nx = 0, ny = 0;
            bool found = false;
            for (int pass = 0; pass < 2 && !found; ++pass)
                for (int i = pass; i < 8; i += 2) {  // 4-neighbours first, then diagonals
                    const int cx = x + kDx[i], cy = y + kDy[i];
                    if (at(cx, cy) && !seen(cx, cy)) {
                        nx = cx;
                        ny = cy;
                        found = true;
                        break;
                    }
                }
            if (!found) break;
            x = nx;
            y = ny;
            ++steps;
        }
        return {{x, y}, steps};
    }

private:
    const std::vector<std::uint8_t>& m_p;
    int m_w, m_h;
};

float imageAngle(double dx, double dy)
{
    double a = std::atan2(-dy, dx);  // y up
    if (a < 0) a += 2 * std::numbers::pi;
    if (a >= 2 * std::numbers::pi) a = 0;
    return static_cast<float>(a);
}

}  // namespace

void thin(std::vector<std::uint8_t>& img, int w, int h)
{
    auto px = [&](int x, int y) -> int { return (x >= 0 && y >= 0 && x < w && y < h) ? img[y * w + x] : 0; };
    std::vector<int> remove;
    bool changed = true;
    while (changed) {
        changed = false;
        for (int step = 0; step < 2; ++step) {
            remove.clear();
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (!img[y * w + x]) continue;
                    // p2..p9: N, NE, E, SE, S, SW, W, NW
                    int p[8];
                    for (int i = 0; i < 8; ++i) p[i] = px(x + kDx[i], y + kDy[i]);
                    int b = 0, a = 0;
                    for (int i = 0; i < 8; ++i) {
                        b += p[i];
                        a += (!p[i] && p[(i + 1) % 8]);
                    }
                    if (b < 2 || b > 6 || a != 1) continue;
                    if (step == 0) {
                        if ((p[0] && p[2] && p[4]) || (p[2] && p[4] && p[6])) continue;
                    } else {
                        if ((p[0] && p[2] && p[6]) || (p[0] && p[4] && p[6])) continue;
                    }
                    remove.push_back(y * w + x);
                }
            for (int i : remove) img[i] = 0;
            changed = changed || !remove.empty();
        }
    }
}

FeatureSet ridgeMinutiae(const std::vector<float>& ridges, int width, int height,
                         const std::function<double(double, double)>& inside,
                         const MasterParameters& params)
{
    std::vector<std::uint8_t> binary(ridges.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            binary[y * width + x] = ridges[y * width + x] > 0 && inside(x, y) > -0.2;
    thin(binary, width, height);
    const Skeleton skeleton(binary, width, height);

    const double margin = params.edgeMargin / 20.0;
    // Mean strength of the field around a pixel: near 1 where ridges grew, near 0 in a patch
    // where none formed. Ridges ending at such a patch are no minutiae of the finger.
    auto strength = [&](int x, int y) {
        constexpr int r = 5;
        double sum = 0;
        int n = 0;
        for (int yy = std::max(0, y - r); yy <= std::min(height - 1, y + r); ++yy)
            for (int xx = std::max(0, x - r); xx <= std::min(width - 1, x + r); ++xx, ++n)
                sum += std::fabs(ridges[yy * width + xx]);
        return n > 0 ? sum / n : 0.0;
    };
    std::vector<Candidate> found;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x) {
            if (!binary[y * width + x] || inside(x, y) < margin) continue;
            if (strength(x, y) < params.minFieldStrength) continue;
            const int cn = skeleton.crossingNumber(x, y);
            if (cn == 1) found.push_back({x, y, MinutiaType::Ending});
            if (cn == 3) found.push_back({x, y, MinutiaType::Bifurcation});
        }
    // A fork thinned into two neighbouring junction pixels is one fork.
    for (std::size_t i = 0; i < found.size(); ++i)
        for (std::size_t j = i + 1; j < found.size(); ++j)
            if (!found[j].dropped && found[i].type == found[j].type &&
                std::abs(found[i].x - found[j].x) <= 2 && std::abs(found[i].y - found[j].y) <= 2)
                found[j].dropped = true;
    // Close pairs are spurs, bridges and islands: not minutiae of the finger.
    const double minDistance2 = params.minMinutiaDistance * params.minMinutiaDistance;
    std::vector<bool> artefact(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i].dropped) continue;
        for (std::size_t j = i + 1; j < found.size(); ++j) {
            if (found[j].dropped) continue;
            const double dx = found[i].x - found[j].x, dy = found[i].y - found[j].y;
            if (dx * dx + dy * dy < minDistance2) artefact[i] = artefact[j] = true;
        }
    }

    FeatureSet out;
    out.width = width;
    out.height = height;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const Candidate& c = found[i];
        if (c.dropped || artefact[i]) continue;
        const auto starts = skeleton.branchStarts(c.x, c.y);
        Minutia m;
        m.x = c.x;
        m.y = c.y;
        m.type = c.type;
        m.quality = 100;
        if (c.type == MinutiaType::Ending) {
            if (starts.empty()) continue;
            const auto [end, steps] = skeleton.trace(c.x, c.y, starts[0].first, starts[0].second, {});
            if (steps < kTraceLength / 2) continue;
            m.angle = imageAngle(c.x - end.first, c.y - end.second);
        } else {
            if (starts.size() != 3) continue;
            std::array<double, 3> angles{};
            bool shortBranch = false;
            for (int b = 0; b < 3; ++b) {
                std::vector<std::pair<int, int>> others;
                for (int o = 0; o < 3; ++o)
                    if (o != b) others.push_back(starts[o]);
                const auto [end, steps] =
                    skeleton.trace(c.x, c.y, starts[b].first, starts[b].second, others);
                shortBranch = shortBranch || steps < kTraceLength / 2;
                angles[b] = std::atan2(end.second - c.y, end.first - c.x);
            }
            if (shortBranch) continue;
            // The two branches run close together; the stem leaves the other way. A fork points
            // from the fork along its stem, away from the branches (the direction of the valley
            // ending between the branches): halfway between the stem and the reversed bisector
            // of the branches, which steadies it against a bent stem.
            auto gap = [&](int a, int b) {
                double d = std::fabs(angles[a] - angles[b]);
                return std::min(d, 2 * std::numbers::pi - d);
            };
            int a = 0, b = 1, stem = 2;
            if (gap(0, 2) < gap(a, b)) a = 0, b = 2, stem = 1;
            if (gap(1, 2) < gap(a, b)) a = 1, b = 2, stem = 0;
            const double bx = std::cos(angles[a]) + std::cos(angles[b]);
            const double by = std::sin(angles[a]) + std::sin(angles[b]);
            const double bl = std::max(1e-9, std::hypot(bx, by));
            m.angle = imageAngle(std::cos(angles[stem]) - bx / bl, std::sin(angles[stem]) - by / bl);
        }
        out.minutiae.push_back(m);
    }
    return out;
}

}  // namespace lumo::engine::synth
