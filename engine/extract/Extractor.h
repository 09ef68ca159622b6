// extract(): minutiae of one fingerprint image.
//
// The image is resampled to 500 dpi when it is at another resolution. The result always has
// a quality code (see ImageQuality.h): a poor press still returns whatever minutiae were found,
// the caller decides whether to ask for another press. Never throws for image content; an
// image with no pixels throws ImageError. Reentrant: any number of threads may extract at once.
//
//   FeatureSet f = lumo::engine::extract(lumo::engine::loadImage("101_1.tif"));
//   if (f.quality != 0) ... describe(ImageQuality(f.quality)) ...
#pragma once

#include "engine/extract/ExtractObserver.h"
#include "engine/extract/ExtractParams.h"
#include "engine/image/GrayImage.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine {

FeatureSet extract(const GrayImage& image, const ExtractParams& params = {},
                   ExtractObserver* observer = nullptr);

}  // namespace lumo::engine
