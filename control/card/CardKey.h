// MIFARE Classic sector keys as the control keeps them, and the sector trailer that the
// key-change pass writes.
//
// A key is made from six decimal digit values, one key byte per value: the digits 1 to 9 become
// their character codes 0x31 to 0x39, and everything else (0, negative values, values above 9)
// becomes 0xFF. Six zero digits therefore give FF FF FF FF FF FF, the factory transport key a
// blank card opens with. Pure functions on values; no errors, any thread.
#pragma once

#include <array>
#include <cstdint>

namespace lumo::card {

using CardKey = std::array<std::uint8_t, 6>;
using SectorTrailer = std::array<std::uint8_t, 16>;

// The key a blank card opens with (and the card key of a freshly created control).
inline constexpr CardKey kFactoryCardKey{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// The transport access conditions (data blocks and trailer under key A) and the general-purpose
// byte that every rewritten trailer carries.
inline constexpr std::array<std::uint8_t, 4> kTrailerAccessBytes{0xFF, 0x07, 0x80, 0x69};

// One key byte from one digit value.
std::uint8_t CardKeyByteFromDigit(std::int32_t digit);

// Six key bytes from six digit values, first value first.
CardKey CardKeyFromDigits(std::int32_t d1, std::int32_t d2, std::int32_t d3, std::int32_t d4,
                          std::int32_t d5, std::int32_t d6);

// Key A = newKey, access bytes FF 07 80 69, key B = FF x 6.
SectorTrailer BuildSectorTrailer(const CardKey& newKey);

}  // namespace lumo::card
