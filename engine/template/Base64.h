// Base64 (RFC 4648, standard alphabet, with padding), the text form of template values.
//
// Decoding is strict: ASCII white space anywhere is ignored (hosts wrap and pad stored text),
// every other character must belong to the alphabet, padding must be complete and only at the
// end, and the unused bits of the last character must be zero, so that one byte string has
// exactly one text. Anything else throws TemplateError.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::engine {

std::string base64Encode(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> base64Decode(std::string_view text);

}  // namespace lumo::engine
