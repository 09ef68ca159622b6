// CompactTemplate: the small form of a template, used for compressed template values
// (CompressTemplateText) and, with a size budget, for the card form (at most
// kMaxCardTemplateBytes, see TemplateLimits.h).
//
// Layout: magic "LZ", format version (1), generation (9 or 10), total length (u16 LE),
// CRC-32 of the form without these four bytes (u32 LE), then a bit stream (most significant
// bit first): width, height, resolution (12 bits each), generation 10: press quality clamped
// to 0..255 (8 bits); minutia count (10 bits), Rice parameter k (4 bits); minutiae sorted by
// y then x, each as the y step from the previous one (Rice code), x (as many bits as the
// width needs), direction (8 bits, 1/256 turn), type (2 bits), generation 10: quality
// (4 bits, 0..15 scaled to 0..100); zero bits up to the next byte.
//
// Lossy by design: directions to 1/256 turn, qualities to 16 steps, minutiae in y-x order.
// Decoding a compact form and encoding it again gives the same bytes. When a budget is given
// and the minutiae do not all fit, the best are kept: highest quality first, then those
// nearest the centre of the minutiae (generation 9 stores no quality). Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "engine/template/Template.h"

namespace lumo::engine {

class CompactTemplate {
public:
    static constexpr std::uint8_t kFormatVersion = 1;
    static constexpr std::size_t kHeaderSize = 10;

    // Throws TemplateError when the features cannot be stored or when even a form without
    // minutiae exceeds maxBytes.
    static std::vector<std::uint8_t> encode(
        const Template& tmpl, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
    // The card form: encode() with the card budget.
    static std::vector<std::uint8_t> encodeForCard(const Template& tmpl);
    static Template decode(std::span<const std::uint8_t> bytes);

    static bool hasMagic(std::span<const std::uint8_t> bytes);
};

}  // namespace lumo::engine
