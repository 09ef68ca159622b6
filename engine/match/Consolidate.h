// consolidate(): one registration feature set from several presses of one finger.
//
// The press that agrees best with the others is the base; every other press must match it
// (score >= params.minScore), otherwise the result is an error naming the press, because presses
// of different fingers (or a wrong finger put down) must not be merged. The others then add
// the minutiae the base lacks beyond its area, and confirm or (with three or more presses) veto
// the base's own minutiae. Pure function; any thread. Bad input is a result, never an exception.
//
//   ConsolidationResult r = consolidate({f1, f2, f3});
//   if (!r.ok) show(r.message);  // "press 3 does not match the other presses"
#pragma once

#include <string>
#include <vector>

#include "engine/match/Matcher.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine {

struct ConsolidateParams {
    float minScore = kDefaultMatchThreshold;  // each press against the base
    int maxPresses = 4;
    float mergeDistance = 10.0f;  // pixels: same minutia in two presses
    float mergeAngle = 0.6f;      // radians
    int maxMinutiae = 128;        // the most reliable are kept
    MatchParams match;
};

struct ConsolidationResult {
    bool ok = false;
    std::string message;         // empty when ok
    int failedPress = -1;        // 0-based index of the press that did not match, or -1
    int basePress = -1;
    FeatureSet features;         // the registration when ok
    std::vector<float> scores;   // score of each press against the base (base: 0)
};

ConsolidationResult consolidate(const std::vector<FeatureSet>& presses, const ConsolidateParams& params = {});

}  // namespace lumo::engine
