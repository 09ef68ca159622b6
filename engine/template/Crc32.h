// CRC-32 (IEEE 802.3, reflected polynomial 0xEDB88320, as zlib and PNG use it).
#pragma once

#include <cstdint>
#include <span>

namespace lumo::engine {

// Continues a running CRC: pass the previous result as crc (0 to start).
std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0);

}  // namespace lumo::engine
