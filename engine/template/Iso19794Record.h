// Iso19794Record: ISO/IEC 19794-2:2005 finger minutiae records ("FMR\0", version " 20\0"),
// so that templates move to and from other systems.
//
// Export writes one finger view: record header (24 bytes: identifier, version, record length
// u32, capture equipment 0, image size, resolution in pixels per centimetre, one view,
// reserved 0), view header (finger position 0 = unknown, view 0, impression type 0 = live-scan
// plain, finger quality = mean minutia quality, minutia count), 6 bytes per minutia (type in
// the two top bits of x, y with two reserved zero bits, direction in 1.40625 degree units,
// quality), and extended data length 0. A view holds at most 255 minutiae; with more, the
// ones of highest quality are written.
//
// Import checks every field and every length before using it: identifier, version, record
// length equal to the data, image size, resolutions, view count, each view header, each
// minutia (type bits, reserved bits, position inside the image, quality 0..100), each
// extended data block's length; anything wrong throws TemplateError. A record at another
// resolution is rescaled to 500 dpi. The chosen view (the first by default) becomes the
// feature set. Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/template/FeatureSet.h"

namespace lumo::engine {

class Iso19794Record {
public:
    static constexpr std::size_t kHeaderSize = 24;
    static constexpr std::size_t kMaxMinutiaePerView = 255;

    // Throws TemplateError when the features cannot be stored.
    static std::vector<std::uint8_t> exportRecord(const FeatureSet& features);
    // viewIndex counts the record's views from 0.
    static FeatureSet importRecord(std::span<const std::uint8_t> bytes, std::size_t viewIndex = 0);

    static bool hasMagic(std::span<const std::uint8_t> bytes);
};

}  // namespace lumo::engine
