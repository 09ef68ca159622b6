#include "CardKey.h"

#include <algorithm>

namespace lumo::card {

std::uint8_t CardKeyByteFromDigit(std::int32_t digit) {
    // Only a single decimal digit 1..9 is kept, as its character; digits are never packed or
    // turned into the byte values 1 to 9, so keys stay compatible with cards already issued.
    if (digit >= 1 && digit <= 9) return static_cast<std::uint8_t>('0' + digit);
    return 0xFF;
}

CardKey CardKeyFromDigits(std::int32_t d1, std::int32_t d2, std::int32_t d3, std::int32_t d4,
                          std::int32_t d5, std::int32_t d6) {
    return {CardKeyByteFromDigit(d1), CardKeyByteFromDigit(d2), CardKeyByteFromDigit(d3),
            CardKeyByteFromDigit(d4), CardKeyByteFromDigit(d5), CardKeyByteFromDigit(d6)};
}

SectorTrailer BuildSectorTrailer(const CardKey& newKey) {
    SectorTrailer trailer{};
    std::copy(newKey.begin(), newKey.end(), trailer.begin());
    std::copy(kTrailerAccessBytes.begin(), kTrailerAccessBytes.end(), trailer.begin() + 6);
    std::fill(trailer.begin() + 10, trailer.end(), 0xFF);
    return trailer;
}

}  // namespace lumo::card
