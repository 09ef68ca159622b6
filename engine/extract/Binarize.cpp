#include "engine/extract/Stages.h"

namespace lumo::engine {

BytePlane binarize(const FloatPlane& enhanced, const Mask& mask, const BinarizeParams& p) {
    BytePlane out(enhanced.width, enhanced.height);
    for (std::size_t i = 0; i < out.data.size(); ++i) out.data[i] = mask.data[i] && enhanced.data[i] > 0.0f;
    // Specks make spurs and short ridges; pores and holes make bridges and lakes after thinning.
    std::vector<int> sizes;
    const std::vector<int> ridges = labelRegions(out, 1, true, sizes);
    for (std::size_t i = 0; i < out.data.size(); ++i)
        if (ridges[i] >= 0 && sizes[ridges[i]] < p.minRidgeArea) out.data[i] = 0;
    std::vector<int> holeSizes;
    const std::vector<int> valleys = labelRegions(out, 0, false, holeSizes);
    for (std::size_t i = 0; i < out.data.size(); ++i)
        if (valleys[i] >= 0 && holeSizes[valleys[i]] < p.minValleyArea && mask.data[i]) out.data[i] = 1;
    return out;
}

}  // namespace lumo::engine
