// Plane<T>: a plain 2-D raster used between the extraction stages.
//
// Row-major, no padding; value type, safe to copy. FloatPlane carries grey levels, filter
// responses or periods; BytePlane carries masks, binary ridge maps and skeletons (0 / 1).
#pragma once

#include <cstdint>
#include <vector>

namespace lumo::engine {

template <class T>
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<T> data;

    Plane() = default;
    Plane(int w, int h, T fill = T()) : width(w), height(h), data(static_cast<std::size_t>(w) * h, fill) {}

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    T& at(int x, int y) { return data[static_cast<std::size_t>(y) * width + x]; }
    const T& at(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
};

using FloatPlane = Plane<float>;
using BytePlane = Plane<std::uint8_t>;
// 1 where the print is, 0 for background.
using Mask = Plane<std::uint8_t>;

}  // namespace lumo::engine
