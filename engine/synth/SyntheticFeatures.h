// SyntheticFeatures: synthetic feature sets without images, for 1:N galleries and tests that
// need thousands of fingers in milliseconds.
//
// A finger's minutiae are spread over its shape (a minimum distance apart, as real minutiae
// are), with directions along the ridge flow of a random pattern class. An impression of them
// moves, turns and stretches the finger, jitters every minutia, loses some, adds spurious
// ones, flips a few types and cuts the print to a contact area, roughly as an extractor sees
// two presses of one finger. The same seeds always give the same sets. Stateless; any thread.
#pragma once

#include <cstdint>

#include "engine/template/FeatureSet.h"

namespace lumo::engine::synth {

struct FeatureImpressionParameters {
    double maxRotation = 0.30;
    double maxTranslation = 25.0;
    double maxDistortion = 5.0;     // pixels at the rim
    double positionJitter = 1.5;    // standard deviation, pixels
    double angleJitter = 0.08;      // standard deviation, radians
    double missedShare = 0.15;      // minutiae the extractor misses
    double spuriousShare = 0.10;    // false minutiae added, as a share of the true ones
    double typeFlipShare = 0.10;
    double partialChance = 0.20;    // presses cut to part of the finger
};

class SyntheticFeatures {
public:
    // True minutiae of finger `fingerSeed` on a width x height image.
    static FeatureSet finger(std::uint64_t fingerSeed, int width = 400, int height = 500);
    // One impression of a finger's true minutiae (from finger() or from a master print).
    static FeatureSet impression(const FeatureSet& finger, std::uint64_t impressionSeed,
                                 const FeatureImpressionParameters& params = {});
};

}  // namespace lumo::engine::synth
