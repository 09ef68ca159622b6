// Loading fingerprint images from files, memory and scanner frames.
//
// Every function returns an 8-bit grey image at 500 dpi (other resolutions are resampled,
// colour is converted to grey) or throws ImageError with a readable message: unreadable or
// unknown files, truncated or corrupt data, sides outside kMinImageSide..kMaxImageSide.
// Formats: BMP, PNG, JPEG, TIFF (through Qt's image plugins) and PGM (P2/P5, read here).
// Stateless; safe to call from any thread.
//
//   GrayImage img = lumo::engine::loadImage("101_1.tif");        // resolution from the file
//   GrayImage raw = lumo::engine::imageFromRaw(w, h, 569, bytes); // a scanner frame
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image/GrayImage.h"

namespace lumo::engine {

inline constexpr int kMinImageSide = 64;
inline constexpr int kMaxImageSide = 2000;

// dpi > 0 overrides the resolution stored in the file. Without it the file's resolution is
// used when it looks like a scanner's (250..1500 dpi); anything else (no tag, 72 or 96 dpi
// written by image editors) is taken as 500 dpi.
GrayImage loadImage(const std::string& path, int dpi = 0);
GrayImage decodeImage(const std::vector<std::uint8_t>& bytes, int dpi = 0,
                      const std::string& name = "image");

// A frame as a scanner delivers it: width * height bytes, row-major, 0 = black.
GrayImage imageFromRaw(int width, int height, int dpi, const std::uint8_t* data,
                       std::size_t size);

// Checks the sides of an image before any further work; throws ImageError.
void checkImageSize(int width, int height, const std::string& name);

}  // namespace lumo::engine
