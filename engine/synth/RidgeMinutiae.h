// Ground-truth minutiae of a clean synthetic ridge field: thinning, ends and forks of the
// thinned ridges, removal of the thinning's artefacts, directions traced along the ridges.
// Directions follow FeatureSet.h: an ending points out past the ridge's free end, a fork
// points from the fork along its stem, away from the two branches.
// Only for the generator's own noiseless ridges; real images go through engine/extract.
#pragma once

#include <functional>
#include <vector>

#include "engine/synth/SynthParameters.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine::synth {

// ridges: row-major field, ridges positive. inside(x, y) > 0 on the finger, about the distance
// to its edge divided by 20.
FeatureSet ridgeMinutiae(const std::vector<float>& ridges, int width, int height,
                         const std::function<double(double, double)>& inside,
                         const MasterParameters& params);

// Zhang-Suen thinning of a 0/1 image in place.
void thin(std::vector<std::uint8_t>& image, int width, int height);

}  // namespace lumo::engine::synth
