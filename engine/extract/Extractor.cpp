#include "engine/extract/Extractor.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/extract/Stages.h"
#include "engine/image/ImageError.h"
#include "engine/image/Resample.h"

namespace lumo::engine {
namespace {

// Image coordinates have y downwards; feature sets measure angles counter-clockwise with y up.
float toFeatureAngle(float imageDirection) {
    constexpr float twoPi = 2 * std::numbers::pi_v<float>;
    float a = std::fmod(twoPi - imageDirection, twoPi);
    if (a < 0) a += twoPi;
    if (a >= twoPi) a = 0;
    return a;
}

FeatureSet toFeatureSet(const GrayImage& image, const std::vector<DetectedMinutia>& minutiae, ImageQuality quality) {
    FeatureSet f;
    f.width = image.width;
    f.height = image.height;
    f.resolution = image.resolution;
    f.quality = static_cast<int>(quality);
    f.minutiae.reserve(minutiae.size());
    for (const DetectedMinutia& d : minutiae) {
        Minutia m;
        m.x = d.x;
        m.y = d.y;
        m.angle = toFeatureAngle(d.direction);
        m.type = d.type;
        m.quality = static_cast<std::uint8_t>(std::clamp(std::lround(d.quality * 100.0f), 1L, 100L));
        f.minutiae.push_back(m);
    }
    return f;
}

}  // namespace

FeatureSet extract(const GrayImage& input, const ExtractParams& params, ExtractObserver* observer) {
    if (input.empty() || input.pixels.size() != static_cast<std::size_t>(input.width) * input.height)
        throw ImageError("the image has no pixels");
    const GrayImage image = input.resolution == kWorkingResolution ? input : resample(input, kWorkingResolution);
    if (observer) observer->onInput(image);

    const FloatPlane normalized = normalizeContrast(image, params.contrast);
    if (observer) observer->onNormalized(normalized);
    const OrientationField orientation = orientationField(normalized, params.orientation);
    if (observer) observer->onOrientation(orientation);
    const Mask mask = segment(image, orientation, params.segmentation);
    if (observer) observer->onMask(mask);
    const FloatPlane distance = distanceToBackground(mask);
    const FloatPlane period = ridgePeriod(normalized, orientation, mask, params.frequency);
    if (observer) observer->onPeriod(period);
    const FloatPlane enhanced = enhance(normalized, orientation, period, mask, params.enhance);
    if (observer) observer->onEnhanced(enhanced);
    const BytePlane binary = binarize(enhanced, mask, params.binarize);
    if (observer) observer->onBinary(binary);
    const BytePlane skeleton = thin(binary);
    if (observer) observer->onSkeleton(skeleton);
    const std::vector<DetectedMinutia> detected = detectMinutiae(skeleton, orientation, distance, params.minutiae);
    if (observer) observer->onDetected(detected);
    const std::vector<DetectedMinutia> minutiae = removeFalseMinutiae(detected, orientation, distance, params.filter);
    if (observer) observer->onFiltered(minutiae);
    const ImageQuality quality = assessQuality(image, mask, orientation, minutiae.size(), params.quality);

    FeatureSet features = toFeatureSet(image, minutiae, quality);
    if (observer) observer->onFeatures(features);
    return features;
}

}  // namespace lumo::engine
