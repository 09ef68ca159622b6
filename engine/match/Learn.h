// learn(): template update, merging a new impression into a registration feature set.
//
// The impression is merged only when it matches the registration clearly (score >=
// params.minScore, stricter than the verification threshold, so that an impostor accepted near
// the threshold cannot teach the registration his finger). Minutiae beyond the registration's
// area are added (the registration grows towards the parts of the finger seen later) and
// minutiae seen again gain quality. Returns true when the registration changed. Pure; any thread.
#pragma once

#include "engine/match/Matcher.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine {

struct LearnParams {
    float minScore = 1.5f * kDefaultMatchThreshold;
    float mergeDistance = 10.0f;
    float mergeAngle = 0.6f;
    int qualityGain = 5;     // per confirmation, up to 100
    int maxMinutiae = 128;   // lowest quality are dropped beyond this
    MatchParams match;
};

bool learn(FeatureSet& registration, const FeatureSet& impression, const LearnParams& params = {});

}  // namespace lumo::engine
