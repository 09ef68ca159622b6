#include "engine/match/Matcher.h"

#include <algorithm>
#include <cmath>
#include <queue>

#include "engine/match/internal/Angles.h"

namespace lumo::engine {
namespace {

using Edge = MatchTemplate::Edge;

// Normalised disagreement of two edges (0 = identical), or a negative value when they differ
// by more than the tolerances.
inline float edgeError(const Edge& a, const Edge& b, const MatchParams& p) {
    const float tolerance = p.edgeLengthTolerance + p.edgeLengthRelative * 0.5f * (a.length + b.length);
    const float dl = std::fabs(a.length - b.length);
    if (dl > tolerance) return -1.0f;
    const float df = match::distance(a.fromAngle, b.fromAngle);
    if (df > p.edgeAngleTolerance) return -1.0f;
    const float dt = match::distance(a.toAngle, b.toAngle);
    if (dt > p.edgeAngleTolerance) return -1.0f;
    return dl / tolerance + (df + dt) / p.edgeAngleTolerance;
}

// Is (x, y) inside the template's convex hull (counter-clockwise) grown by margin?
bool insideHull(const MatchTemplate& t, float x, float y, float margin) {
    const auto& hull = t.hull();
    const auto& inverse = t.hullInverseLengths();
    if (hull.size() < 3) return false;
    for (std::size_t i = 0; i < hull.size(); ++i) {
        const auto& a = hull[i];
        const auto& b = hull[i + 1 < hull.size() ? i + 1 : 0];
        // Signed distance to the left of edge a->b (inside is left for CCW).
        if (((b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x)) * inverse[i] < -margin) return false;
    }
    return true;
}

}  // namespace

std::pair<float, float> MatchResult::mapPoint(float x, float y) const {
    // Matching works with y up; feature sets with y down.
    const float c = std::cos(rotation), s = std::sin(rotation);
    const float X = x, Y = -y;
    return {c * X - s * Y + dx, -(s * X + c * Y + dy)};
}

float MatchResult::mapAngle(float angle) const { return match::wrap(angle + rotation); }

Matcher::Matcher(MatchTemplate probe, const MatchParams& params) : m_probe(std::move(probe)), m_params(params) {
    const int bins = std::max(1, params.hashAngleBins);
    m_lengthBins = static_cast<int>(params.maxEdgeLength / params.hashLengthStep) + 2;
    const std::size_t cells = static_cast<std::size_t>(m_lengthBins) * bins * bins;
    const auto& edges = m_probe.edges();
    m_edgeFrom.resize(edges.size());
    for (std::size_t i = 0; i < m_probe.size(); ++i)
        for (std::size_t e = m_probe.edgeStart(i); e < m_probe.edgeStart(i + 1); ++e)
            m_edgeFrom[e] = static_cast<std::uint16_t>(i);

    // Each probe edge goes into its own cell and the nearest neighbour cell along every axis,
    // so that a candidate edge close to a cell border still finds it with a single look-up.
    const float angleStep = match::kTwoPi / bins;
    auto forEachCell = [&](const Edge& e, auto&& fn) {
        const float fl = e.length / params.hashLengthStep, fa = e.fromAngle / angleStep, fb = e.toAngle / angleStep;
        const int l0 = std::min(static_cast<int>(fl), m_lengthBins - 1);
        const int a0 = static_cast<int>(fa) % bins, b0 = static_cast<int>(fb) % bins;
        int ls[2] = {l0, fl - l0 < 0.5f ? l0 - 1 : l0 + 1};
        int as[2] = {a0, fa - static_cast<int>(fa) < 0.5f ? (a0 + bins - 1) % bins : (a0 + 1) % bins};
        int bs[2] = {b0, fb - static_cast<int>(fb) < 0.5f ? (b0 + bins - 1) % bins : (b0 + 1) % bins};
        for (int l : ls) {
            if (l < 0 || l >= m_lengthBins) continue;
            for (int a : as)
                for (int b : bs) fn((static_cast<std::size_t>(l) * bins + a) * bins + b);
        }
    };
    m_cellStart.assign(cells + 1, 0);
    for (const Edge& e : edges) forEachCell(e, [&](std::size_t c) { ++m_cellStart[c + 1]; });
    for (std::size_t c = 0; c < cells; ++c) m_cellStart[c + 1] += m_cellStart[c];
    m_cellEdges.resize(m_cellStart[cells]);
    std::vector<std::uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (std::size_t i = 0; i < edges.size(); ++i)
        forEachCell(edges[i], [&](std::size_t c) { m_cellEdges[fill[c]++] = static_cast<std::uint32_t>(i); });
}

float Matcher::match(const MatchTemplate& candidate) { return matchDetailed(candidate).score; }

MatchResult Matcher::matchDetailed(const MatchTemplate& candidate) {
    const std::size_t n1 = m_probe.size(), n2 = candidate.size();
    if (n1 < 2 || n2 < 2) return {};
    const int bins = std::max(1, m_params.hashAngleBins);
    const float angleStep = match::kTwoPi / bins;
    const auto& probeEdges = m_probe.edges();

    // Votes: how many edges around each minutia pair agree.
    m_votes.assign(n1 * n2, 0);
    for (std::size_t k = 0; k < n2; ++k)
        for (std::size_t e = candidate.edgeStart(k); e < candidate.edgeStart(k + 1); ++e) {
            const Edge& ce = candidate.edges()[e];
            const int l = std::min(static_cast<int>(ce.length / m_params.hashLengthStep), m_lengthBins - 1);
            const int a = static_cast<int>(ce.fromAngle / angleStep) % bins;
            const int b = static_cast<int>(ce.toAngle / angleStep) % bins;
            const std::size_t cell = (static_cast<std::size_t>(l) * bins + a) * bins + b;
            for (std::uint32_t i = m_cellStart[cell]; i < m_cellStart[cell + 1]; ++i) {
                const std::uint32_t pe = m_cellEdges[i];
                if (edgeError(probeEdges[pe], ce, m_params) < 0) continue;
                ++m_votes[m_edgeFrom[pe] * n2 + k];
                ++m_votes[probeEdges[pe].to * n2 + ce.to];
            }
        }
    std::vector<std::pair<std::uint16_t, std::uint32_t>> seeds;
    for (std::size_t i = 0; i < m_votes.size(); ++i)
        if (m_votes[i] >= m_params.minSeedVotes) seeds.emplace_back(m_votes[i], static_cast<std::uint32_t>(i));
    const std::size_t take = std::min<std::size_t>(seeds.size(), static_cast<std::size_t>(m_params.seeds));
    std::partial_sort(seeds.begin(), seeds.begin() + static_cast<std::ptrdiff_t>(take), seeds.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });

    // Every start pair grows a tree; the trees nearly as large as the largest are scored and the
    // best score wins (the largest tree may hold chance pairs that a rigid motion rejects).
    m_treeCount = 0;
    std::size_t largest = 0;
    for (std::size_t s = 0; s < take; ++s) {
        const int p = static_cast<int>(seeds[s].second / n2), c = static_cast<int>(seeds[s].second % n2);
        // A start pair already inside the largest tree would grow the same tree again.
        if (m_treeCount > 0) {
            const auto& pairs = m_trees[largest].pairs;
            if (std::find(pairs.begin(), pairs.end(), std::make_pair(p, c)) != pairs.end()) continue;
        }
        if (m_trees.size() <= m_treeCount) m_trees.emplace_back();
        Tree& tree = m_trees[m_treeCount];
        grow(candidate, p, c, tree);
        if (tree.pairs.size() < 2) continue;
        if (m_treeCount == 0 || tree.weight > m_trees[largest].weight) largest = m_treeCount;
        ++m_treeCount;
    }
    if (m_treeCount == 0) return {};
    const float least = m_params.treeShare * m_trees[largest].weight;
    MatchResult best = evaluate(candidate, m_trees[largest]);
    for (std::size_t t = 0; t < m_treeCount; ++t) {
        if (t == largest || m_trees[t].weight < least) continue;
        MatchResult r = evaluate(candidate, m_trees[t]);
        if (r.score > best.score) best = std::move(r);
    }
    return best;
}

void Matcher::grow(const MatchTemplate& candidate, int seedP, int seedC, Tree& tree) {
    const auto& pm = m_probe.minutiae();
    const auto& cm = candidate.minutiae();
    const auto& pe = m_probe.edges();
    const auto& ce = candidate.edges();
    m_probeMate.assign(pm.size(), -1);
    m_candidateMate.assign(cm.size(), -1);
    tree.pairs.clear();
    tree.weight = 0;
    m_heap.clear();
    const float rotation = match::wrap(cm[static_cast<std::size_t>(seedC)].angle - pm[static_cast<std::size_t>(seedP)].angle);

    auto accept = [&](int p, int c) {
        m_probeMate[static_cast<std::size_t>(p)] = c;
        m_candidateMate[static_cast<std::size_t>(c)] = p;
        tree.pairs.emplace_back(p, c);
        tree.weight += 1.0f;
        const std::size_t pb = m_probe.edgeStart(static_cast<std::size_t>(p)), pEnd = m_probe.edgeStart(static_cast<std::size_t>(p) + 1);
        const std::size_t cb = candidate.edgeStart(static_cast<std::size_t>(c)), cEnd = candidate.edgeStart(static_cast<std::size_t>(c) + 1);
        std::size_t from = cb;
        for (std::size_t i = pb; i < pEnd; ++i) {
            const Edge& a = pe[i];
            if (m_probeMate[a.to] >= 0) continue;
            const float reach = m_params.edgeLengthTolerance + m_params.edgeLengthRelative * a.length * 1.2f;
            while (from < cEnd && ce[from].length < a.length - reach) ++from;
            for (std::size_t j = from; j < cEnd && ce[j].length <= a.length + reach; ++j) {
                const Edge& b = ce[j];
                if (m_candidateMate[b.to] >= 0) continue;
                const float err = edgeError(a, b, m_params);
                if (err < 0) continue;
                m_heap.push_back({err, a.to, b.to});
                std::push_heap(m_heap.begin(), m_heap.end());
            }
        }
    };
    accept(seedP, seedC);
    while (!m_heap.empty()) {
        std::pop_heap(m_heap.begin(), m_heap.end());
        const Candidate next = m_heap.back();
        m_heap.pop_back();
        if (m_probeMate[next.p] >= 0 || m_candidateMate[next.c] >= 0) continue;
        if (match::distance(match::wrap(cm[next.c].angle - pm[next.p].angle), rotation) > m_params.maxRotationDrift) continue;
        accept(next.p, next.c);
    }
}

MatchResult Matcher::evaluate(const MatchTemplate& candidate, const Tree& tree) {
    const auto& pm = m_probe.minutiae();
    const auto& cm = candidate.minutiae();
    MatchResult r;
    // Least-squares rigid motion (rotation about the centroids).
    auto fit = [&](const std::vector<std::pair<int, int>>& pairs) {
        float px = 0, py = 0, cx = 0, cy = 0;
        for (const auto& [p, c] : pairs) {
            px += pm[static_cast<std::size_t>(p)].x;
            py += pm[static_cast<std::size_t>(p)].y;
            cx += cm[static_cast<std::size_t>(c)].x;
            cy += cm[static_cast<std::size_t>(c)].y;
        }
        const float n = static_cast<float>(pairs.size());
        px /= n, py /= n, cx /= n, cy /= n;
        float dot = 0, crs = 0;
        for (const auto& [p, c] : pairs) {
            const float ax = pm[static_cast<std::size_t>(p)].x - px, ay = pm[static_cast<std::size_t>(p)].y - py;
            const float bx = cm[static_cast<std::size_t>(c)].x - cx, by = cm[static_cast<std::size_t>(c)].y - cy;
            dot += ax * bx + ay * by;
            crs += ax * by - ay * bx;
        }
        r.rotation = match::wrap(std::atan2(crs, dot));
        const float cs = std::cos(r.rotation), sn = std::sin(r.rotation);
        r.dx = cx - (cs * px - sn * py);
        r.dy = cy - (sn * px + cs * py);
    };
    std::vector<std::pair<int, int>>& pairs = m_pairs;
    pairs.assign(tree.pairs.begin(), tree.pairs.end());
    fit(pairs);
    // The tree grows along local geometry only, so a chance tree of unrelated prints may bend
    // far away from one rigid motion; skin distortion moves true mates much less. The worst
    // pair goes first and the motion is fitted again, so that a few wrong pairs do not drag the
    // fit away from the right ones.
    if (m_params.maxResidual > 0) {
        while (pairs.size() > 2) {
            const float cs = std::cos(r.rotation), sn = std::sin(r.rotation);
            float worst = 0;
            std::size_t worstAt = 0;
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                const auto& a = pm[static_cast<std::size_t>(pairs[i].first)];
                const auto& b = cm[static_cast<std::size_t>(pairs[i].second)];
                const float ex = cs * a.x - sn * a.y + r.dx - b.x, ey = sn * a.x + cs * a.y + r.dy - b.y;
                const float excess = ex * ex + ey * ey;
                if (excess > worst) {
                    worst = excess;
                    worstAt = i;
                }
            }
            if (worst <= m_params.maxResidual * m_params.maxResidual) break;
            pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(worstAt));
            fit(pairs);
        }
    }
    const float cs = std::cos(r.rotation), sn = std::sin(r.rotation);

    // Reliable minutiae weigh more, in what pairs up and in what should have.
    const float qw = m_params.qualityWeighting;
    auto weight = [qw](const MatchTemplate::MinutiaPoint& m) { return 1.0f - qw + qw * m.quality; };
    float probeWeight = 0, candidateWeight = 0, meanWeight = 0;
    for (const auto& m : pm) {
        const bool in = insideHull(candidate, cs * m.x - sn * m.y + r.dx, sn * m.x + cs * m.y + r.dy, m_params.hullMargin);
        r.probeInOverlap += in;
        if (in) probeWeight += weight(m);
        meanWeight += weight(m);
    }
    for (const auto& m : cm) {
        const float x = m.x - r.dx, y = m.y - r.dy;
        const bool in = insideHull(m_probe, cs * x + sn * y, -sn * x + cs * y, m_params.hullMargin);
        r.candidateInOverlap += in;
        if (in) candidateWeight += weight(m);
        meanWeight += weight(m);
    }
    meanWeight /= static_cast<float>(pm.size() + cm.size());
    // A pair counts when at least minSupport of its neighbour edges lead to other pairs and agree
    // there too; chance pairs of unrelated prints rarely have more than the one edge they were
    // reached by.
    std::vector<int>& mate = m_probeMate;
    mate.assign(pm.size(), -1);
    for (const auto& [p, c] : pairs) mate[static_cast<std::size_t>(p)] = c;
    const auto& pe = m_probe.edges();
    const auto& ce = candidate.edges();
    // The confirmed pairs are the result's pairs: built in place, not copied there.
    std::vector<std::pair<int, int>>& confirmed = r.pairs;
    confirmed.reserve(std::min(pm.size(), cm.size()));
    for (const auto& [p, c] : pairs) {
        int support = 0;
        for (std::size_t i = m_probe.edgeStart(static_cast<std::size_t>(p)); i < m_probe.edgeStart(static_cast<std::size_t>(p) + 1); ++i) {
            const int d = mate[pe[i].to];
            if (d < 0) continue;
            for (std::size_t j = candidate.edgeStart(static_cast<std::size_t>(c)); j < candidate.edgeStart(static_cast<std::size_t>(c) + 1); ++j)
                if (ce[j].to == d) {
                    support += edgeError(pe[i], ce[j], m_params) >= 0;
                    break;
                }
        }
        if (support >= m_params.minSupport) {
            confirmed.emplace_back(p, c);
            r.support += support;
        }
    }
    // Pairs the tree could not reach (a missing minutia breaks its edges) but that the fitted
    // motion puts on top of each other, local distortion allowed for.
    if (m_params.alignedRadius > 0 && confirmed.size() >= 3) {
        std::vector<char>& usedP = m_usedP;
        std::vector<char>& usedC = m_usedC;
        usedP.assign(pm.size(), 0);
        usedC.assign(cm.size(), 0);
        for (const auto& [p, c] : confirmed) usedP[static_cast<std::size_t>(p)] = usedC[static_cast<std::size_t>(c)] = 1;
        std::vector<Near>& near = m_near;
        near.clear();
        const float radius2 = m_params.alignedRadius * m_params.alignedRadius;
        for (std::size_t p = 0; p < pm.size(); ++p) {
            if (usedP[p]) continue;
            const float x = cs * pm[p].x - sn * pm[p].y + r.dx, y = sn * pm[p].x + cs * pm[p].y + r.dy;
            const float angle = match::wrap(pm[p].angle + r.rotation);
            for (std::size_t c = 0; c < cm.size(); ++c) {
                if (usedC[c]) continue;
                const float ex = cm[c].x - x, ey = cm[c].y - y;
                const float d2 = ex * ex + ey * ey;
                if (d2 <= radius2 && match::distance(cm[c].angle, angle) <= m_params.alignedAngle)
                    near.push_back({d2, static_cast<int>(p), static_cast<int>(c)});
            }
        }
        std::sort(near.begin(), near.end(), [](const Near& a, const Near& b) { return a.d2 < b.d2; });
        for (const Near& n : near) {
            if (usedP[static_cast<std::size_t>(n.p)] || usedC[static_cast<std::size_t>(n.c)]) continue;
            usedP[static_cast<std::size_t>(n.p)] = usedC[static_cast<std::size_t>(n.c)] = 1;
            confirmed.emplace_back(n.p, n.c);
            ++r.aligned;
        }
    }
    const float m = static_cast<float>(confirmed.size()) - (1.0f - m_params.alignedWeight) * r.aligned;
    float mw = 0;
    for (std::size_t i = 0; i < confirmed.size(); ++i) {
        const auto [p, c] = confirmed[i];
        const float w = std::sqrt(weight(pm[static_cast<std::size_t>(p)]) * weight(cm[static_cast<std::size_t>(c)]));
        mw += i + r.aligned >= confirmed.size() ? m_params.alignedWeight * w : w;
    }
    const float floor = static_cast<float>(m_params.minOverlapCount) * meanWeight;
    const float a = std::max({probeWeight, mw, floor});
    const float b = std::max({candidateWeight, mw, floor});
    // The share of the common minutiae that pair up, times the amount of evidence (pairs per
    // fullPairCount; below that count doubly, so a handful of chance pairs never scores high),
    // scaled so that kDefaultMatchThreshold sits near FMR 1e-4 (bench/README.md).
    const float evidence = m / m_params.fullPairCount;
    r.score = m_params.scoreScale * mw * mw / (a * b) * evidence * std::min(1.0f, evidence);
    return r;
}

float matchScore(const FeatureSet& probe, const FeatureSet& candidate, const MatchParams& params) {
    Matcher matcher(MatchTemplate(probe, params), params);
    return matcher.match(MatchTemplate(candidate, params));
}

}  // namespace lumo::engine
