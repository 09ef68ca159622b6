#include "engine/match/Learn.h"

#include <algorithm>

#include "engine/match/internal/Merge.h"

namespace lumo::engine {

bool learn(FeatureSet& registration, const FeatureSet& impression, const LearnParams& params) {
    if (registration.minutiae.size() < 2 || impression.minutiae.size() < 2) return false;
    Matcher matcher(MatchTemplate(impression, params.match), params.match);
    const MatchResult alignment = matcher.matchDetailed(MatchTemplate(registration, params.match));
    if (alignment.score < params.minScore) return false;

    FeatureSet updated = registration;
    const std::size_t before = updated.minutiae.size();
    const match::MergeOutcome o =
        match::mergeInto(updated, impression, alignment, {params.mergeDistance, params.mergeAngle, 8.0f});
    bool changed = o.added > 0;
    for (std::size_t i = 0; i < before; ++i) {
        if (!o.confirmed[i]) continue;
        Minutia& m = updated.minutiae[i];
        const int q = std::min(100, m.quality + params.qualityGain);
        changed = changed || q != m.quality;
        m.quality = static_cast<std::uint8_t>(q);
    }
    if (static_cast<int>(updated.minutiae.size()) > params.maxMinutiae) {
        // Drop the least reliable; the oldest registration minutiae win ties.
        std::vector<std::size_t> order(updated.minutiae.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return updated.minutiae[a].quality > updated.minutiae[b].quality;
        });
        order.resize(static_cast<std::size_t>(params.maxMinutiae));
        std::sort(order.begin(), order.end());
        std::vector<Minutia> kept;
        for (std::size_t i : order) kept.push_back(updated.minutiae[i]);
        updated.minutiae = std::move(kept);
    }
    if (changed) registration = std::move(updated);
    return changed;
}

}  // namespace lumo::engine
