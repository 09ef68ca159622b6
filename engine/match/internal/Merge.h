// Merging the minutiae of an aligned impression into a registration (internal; used by
// consolidation and template update).
#pragma once

#include <vector>

#include "engine/match/Matcher.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine::match {

struct MergeTolerance {
    float distance = 10.0f;  // pixels: a mapped minutia this close to a registered one is the same
    float angle = 0.6f;      // radians
    float hullMargin = 8.0f; // new minutiae only beyond the registration's area grown by this
};

struct MergeOutcome {
    int added = 0;
    // Per registration minutia: was it seen again in the impression?
    std::vector<bool> confirmed;
    // Per registration minutia: does it lie inside the impression's area?
    std::vector<bool> covered;
};

// `alignment` maps impression pixels onto registration pixels (probe = impression).
MergeOutcome mergeInto(FeatureSet& registration, const FeatureSet& impression, const MatchResult& alignment,
                       const MergeTolerance& tolerance);

}  // namespace lumo::engine::match
