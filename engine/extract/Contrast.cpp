#include <algorithm>
#include <cmath>

#include "engine/extract/Stages.h"

namespace lumo::engine {

FloatPlane normalizeContrast(const GrayImage& image, const ContrastParams& params) {
    FloatPlane grey(image.width, image.height), square(image.width, image.height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const float v = image.pixels[i];
        grey.data[i] = v;
        square.data[i] = v * v;
    }
    const FloatPlane mean = boxMean(grey, params.radius);
    const FloatPlane meanSquare = boxMean(square, params.radius);
    FloatPlane out(image.width, image.height);
    for (std::size_t i = 0; i < out.data.size(); ++i) {
        const float m = mean.data[i];
        const float spread = std::sqrt(std::max(0.0f, meanSquare.data[i] - m * m));
        const float v = (m - grey.data[i]) / std::max(spread, params.minSpread);
        out.data[i] = std::clamp(v, -params.clip, params.clip);
    }
    return out;
}

}  // namespace lumo::engine
