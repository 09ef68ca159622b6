// Resampling grey images to the engine's working resolution of 500 dpi.
//
// Down-sampling averages the source area under each target pixel (no aliasing of ridges);
// up-sampling interpolates bilinearly. Pure functions; any thread.
#pragma once

#include "engine/image/GrayImage.h"

namespace lumo::engine {

inline constexpr int kWorkingResolution = 500;

// Returns a copy at dpi (> 0); the input's resolution must be > 0.
GrayImage resample(const GrayImage& image, int dpi);
// resample(image, 500) unless the image already is at 500 dpi.
GrayImage toWorkingResolution(GrayImage image);

}  // namespace lumo::engine
