// GrayImage: an 8-bit grey fingerprint image with its resolution.
//
// Plain value type, row-major, one byte per pixel, 0 = black, 255 = white, no padding
// (pixels.size() == width * height). Safe to copy and to share read-only between threads.
#pragma once

#include <cstdint>
#include <vector>

namespace lumo::engine {

struct GrayImage {
    int width = 0;
    int height = 0;
    int resolution = 500;  // dots per inch
    std::vector<std::uint8_t> pixels;

    bool empty() const { return width <= 0 || height <= 0; }
    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

}  // namespace lumo::engine
