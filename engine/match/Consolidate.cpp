#include "engine/match/Consolidate.h"

#include <algorithm>

#include "engine/match/internal/Merge.h"

namespace lumo::engine {
namespace {

// Keeps the `limit` minutiae ranked best by (times seen, quality).
void keepBest(FeatureSet& f, std::vector<int>& seen, int limit) {
    if (static_cast<int>(f.minutiae.size()) <= limit) return;
    std::vector<std::size_t> order(f.minutiae.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return seen[a] != seen[b] ? seen[a] > seen[b] : f.minutiae[a].quality > f.minutiae[b].quality;
    });
    order.resize(static_cast<std::size_t>(limit));
    std::sort(order.begin(), order.end());
    std::vector<Minutia> kept;
    std::vector<int> keptSeen;
    for (std::size_t i : order) {
        kept.push_back(f.minutiae[i]);
        keptSeen.push_back(seen[i]);
    }
    f.minutiae = std::move(kept);
    seen = std::move(keptSeen);
}

}  // namespace

ConsolidationResult consolidate(const std::vector<FeatureSet>& presses, const ConsolidateParams& params) {
    ConsolidationResult r;
    if (presses.empty()) {
        r.message = "no press to enrol";
        return r;
    }
    if (static_cast<int>(presses.size()) > params.maxPresses) {
        r.message = "too many presses (" + std::to_string(presses.size()) + "; at most " +
                    std::to_string(params.maxPresses) + ")";
        return r;
    }
    const std::size_t n = presses.size();
    for (std::size_t i = 0; i < n; ++i)
        if (presses[i].minutiae.size() < 2) {
            r.failedPress = static_cast<int>(i);
            r.message = "press " + std::to_string(i + 1) + " shows no usable fingerprint";
            return r;
        }
    if (n == 1) {
        r.ok = true;
        r.basePress = 0;
        r.features = presses[0];
        r.scores = {0.0f};
        return r;
    }

    std::vector<MatchTemplate> templates;
    for (const FeatureSet& f : presses) templates.emplace_back(f, params.match);
    std::vector<std::vector<float>> score(n, std::vector<float>(n, 0.0f));
    for (std::size_t i = 0; i < n; ++i) {
        Matcher m(templates[i], params.match);
        for (std::size_t j = 0; j < n; ++j)
            if (j != i) score[i][j] = m.match(templates[j]);
    }
    // Symmetric agreement; the base agrees best with all others.
    std::size_t base = 0;
    float bestSum = -1;
    for (std::size_t i = 0; i < n; ++i) {
        float sum = 0;
        for (std::size_t j = 0; j < n; ++j) sum += 0.5f * (score[i][j] + score[j][i]);
        if (sum > bestSum) {
            bestSum = sum;
            base = i;
        }
    }
    r.basePress = static_cast<int>(base);
    r.scores.assign(n, 0.0f);
    for (std::size_t j = 0; j < n; ++j) {
        if (j == base) continue;
        r.scores[j] = 0.5f * (score[base][j] + score[j][base]);
        if (r.scores[j] < params.minScore) {
            r.failedPress = static_cast<int>(j);
            r.message = "press " + std::to_string(j + 1) + " does not match the other presses";
            return r;
        }
    }

    FeatureSet merged = presses[base];
    std::vector<int> seen(merged.minutiae.size(), 1), covered(merged.minutiae.size(), 0);
    const match::MergeTolerance tol{params.mergeDistance, params.mergeAngle, 8.0f};
    for (std::size_t j = 0; j < n; ++j) {
        if (j == base) continue;
        Matcher m(templates[j], params.match);
        const MatchResult alignment = m.matchDetailed(MatchTemplate(merged, params.match));
        const std::size_t before = merged.minutiae.size();
        const match::MergeOutcome o = match::mergeInto(merged, presses[j], alignment, tol);
        for (std::size_t i = 0; i < before; ++i) {
            seen[i] += o.confirmed[i];
            covered[i] += o.covered[i];
        }
        seen.resize(merged.minutiae.size(), 1);
        covered.resize(merged.minutiae.size(), 0);
    }
    // With three or more presses, a minutia that two others should have shown and none did is
    // most likely noise of one press.
    if (n >= 3) {
        FeatureSet kept = merged;
        kept.minutiae.clear();
        std::vector<int> keptSeen;
        for (std::size_t i = 0; i < merged.minutiae.size(); ++i)
            if (!(seen[i] == 1 && covered[i] >= 2)) {
                kept.minutiae.push_back(merged.minutiae[i]);
                keptSeen.push_back(seen[i]);
            }
        merged = std::move(kept);
        seen = std::move(keptSeen);
    }
    for (std::size_t i = 0; i < merged.minutiae.size(); ++i) {
        Minutia& m = merged.minutiae[i];
        m.quality = static_cast<std::uint8_t>(std::min(100, m.quality + 10 * (seen[i] - 1)));
    }
    keepBest(merged, seen, params.maxMinutiae);
    r.ok = true;
    r.features = std::move(merged);
    return r;
}

}  // namespace lumo::engine
