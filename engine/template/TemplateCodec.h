// TemplateCodec: the engine's byte form of a template ("template value"), versioned and
// checksummed. Its Base64 is the template string hosts store (TemplateText.h).
//
// Layout, all integers little-endian:
//   0  4  magic "LFPT"
//   4  1  format version (1)
//   5  1  generation (9 or 10)
//   6  2  flags, zero
//   8  4  total length in bytes, header included
//  12  4  CRC-32 of the whole form with these four bytes left out
//  16     width, height, resolution (u16 each); generation 10: press quality (i32);
//         minutia count (u16); per minutia x, y (u16), direction (u16, 1/65536 turn),
//         type (u8); generation 10: quality (u8)
//
// Every decoder of every format version stays; decode() rejects anything that is not exactly
// a well-formed form (wrong magic, unknown version or generation, wrong length, checksum,
// values out of range, trailing bytes) with TemplateError. Directions are kept to 1/65536 of a
// turn; everything else is exact. Stateless; safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/template/Template.h"

namespace lumo::engine {

class TemplateCodec {
public:
    static constexpr std::uint8_t kFormatVersion = 1;
    static constexpr std::size_t kHeaderSize = 16;

    // Throws TemplateError when the features cannot be stored (see internal/FeatureChecks.h).
    static std::vector<std::uint8_t> encode(const Template& tmpl);
    static Template decode(std::span<const std::uint8_t> bytes);

    // True when the bytes start with this form's magic (they may still be damaged).
    static bool hasMagic(std::span<const std::uint8_t> bytes);
};

}  // namespace lumo::engine
