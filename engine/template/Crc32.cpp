#include "engine/template/Crc32.h"

#include <array>

namespace lumo::engine {

namespace {

constexpr std::array<std::uint32_t, 256> makeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr auto kTable = makeTable();

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc)
{
    crc = ~crc;
    for (std::uint8_t byte : data) crc = kTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

}  // namespace lumo::engine
