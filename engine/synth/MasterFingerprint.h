// MasterFingerprint: a synthetic finger, from which impressions are taken.
//
// Made from a seed: an orientation model with singular points for a random pattern class, a
// ridge period map, and ridges grown from random seeds by repeated Gabor filtering tuned to the
// local orientation and period. The minutiae of the grown ridges are the ground truth: found
// on the thinned ridges (ends and forks), artefacts removed, directions traced along the ridges.
// The same seed and parameters always give the same finger. Immutable after generate();
// any thread may read it.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/synth/OrientationModel.h"
#include "engine/synth/SynthParameters.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine::synth {

class MasterFingerprint {
public:
    static MasterFingerprint generate(std::uint64_t seed, const MasterParameters& params = {});

    int width() const { return m_width; }
    int height() const { return m_height; }
    const OrientationModel& model() const { return m_model; }
    // Ridge field in [-1, 1]; ridges are positive. Row-major, width * height.
    const std::vector<float>& ridges() const { return m_ridges; }
    // Bilinear sample; 0 outside the image.
    float ridgeAt(double x, double y) const;
    // Ground-truth minutiae in the master's own coordinates (qualities 100).
    const FeatureSet& minutiae() const { return m_minutiae; }

private:
    MasterFingerprint(std::uint64_t seed, const MasterParameters& params);

    int m_width = 0;
    int m_height = 0;
    SynthRandom m_random;
    OrientationModel m_model;
    std::vector<float> m_ridges;
    FeatureSet m_minutiae;
};

}  // namespace lumo::engine::synth
