// The stages of extract(), each a pure function from plain data to new data.
//
// Exposed for tests, the debugging tool and experiments; extract() is the normal entry point.
// All images are at 500 dpi. Reentrant.
#pragma once

#include <vector>

#include "engine/extract/DetectedMinutia.h"
#include "engine/extract/ExtractParams.h"
#include "engine/extract/ImageQuality.h"
#include "engine/extract/OrientationField.h"
#include "engine/extract/Plane.h"
#include "engine/image/GrayImage.h"

namespace lumo::engine {

// Local contrast normalisation: (local mean - pixel) / local spread, so that light and dark,
// faint and hard presses all come out alike; ridges are positive.
FloatPlane normalizeContrast(const GrayImage& image, const ContrastParams& params);

// Gradient-tensor orientation with a second smoothing of the doubled-angle vectors.
OrientationField orientationField(const FloatPlane& normalized, const OrientationParams& params);

// The print's area: blocks with enough grey-level spread and coherent flow, smoothed, largest
// region only, holes filled.
Mask segment(const GrayImage& image, const OrientationField& orientation,
             const SegmentationParams& params);

// Distance of every pixel to the nearest background pixel or image edge (chamfer metric).
FloatPlane distanceToBackground(const Mask& mask);

// Ridge period per pixel from the autocorrelation of profiles across the ridges.
FloatPlane ridgePeriod(const FloatPlane& normalized, const OrientationField& orientation,
                       const Mask& mask, const FrequencyParams& params);

// Contextual filtering: smoothing along the ridge, then a Gabor profile across it tuned to the
// local period. Zero outside the mask.
FloatPlane enhance(const FloatPlane& normalized, const OrientationField& orientation,
                   const FloatPlane& period, const Mask& mask, const EnhanceParams& params);

// Ridges (1) where the enhanced image is positive inside the mask; specks and pores removed.
BytePlane binarize(const FloatPlane& enhanced, const Mask& mask, const BinarizeParams& params);

// One-pixel-wide, 8-connected centre lines of the ridges.
BytePlane thin(const BytePlane& binary);

// Endings and forks on the skeleton (crossing number), with direction and linked minutiae.
std::vector<DetectedMinutia> detectMinutiae(const BytePlane& skeleton,
                                            const OrientationField& orientation,
                                            const FloatPlane& distance,
                                            const MinutiaeParams& params);

// Drops minutiae at the print's edge, spurs, bridges, islands, broken ridges and clusters.
std::vector<DetectedMinutia> removeFalseMinutiae(const std::vector<DetectedMinutia>& minutiae,
                                                 const OrientationField& orientation,
                                                 const FloatPlane& distance,
                                                 const FilterParams& params);

// Quality code of the press from its mask, flow and minutiae.
ImageQuality assessQuality(const GrayImage& image, const Mask& mask,
                           const OrientationField& orientation, std::size_t minutiaCount,
                           const QualityParams& params);

// Helpers shared by the stages: box mean over (2r+1)^2 with edge-aware counts.
FloatPlane boxMean(const FloatPlane& in, int radius);
// Connected regions of cells equal to value (8- or 4-connected): a label per cell (-1 for
// other cells); sizes receives each region's cell count.
std::vector<int> labelRegions(const BytePlane& grid, std::uint8_t value, bool eight, std::vector<int>& sizes);

}  // namespace lumo::engine
