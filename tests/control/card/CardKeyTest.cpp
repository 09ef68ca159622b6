#include <gtest/gtest.h>

#include <climits>

#include "control/card/CardKey.h"

namespace lumo::card {
namespace {

TEST(CardKeyTest, DigitToKeyByte) {
    struct Case {
        std::int32_t digit;
        std::uint8_t byte;
    } cases[] = {
        {0, 0xFF},  {1, 0x31},   {2, 0x32},  {5, 0x35},  {9, 0x39},         {10, 0xFF},
        {-1, 0xFF}, {255, 0xFF}, {49, 0xFF}, {-9, 0xFF}, {INT32_MIN, 0xFF}, {INT32_MAX, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.digit);
        EXPECT_EQ(CardKeyByteFromDigit(c.digit), c.byte);
    }
}

TEST(CardKeyTest, SixDigitsInArgumentOrder) {
    EXPECT_EQ(CardKeyFromDigits(1, 2, 3, 4, 5, 6), (CardKey{0x31, 0x32, 0x33, 0x34, 0x35, 0x36}));
    EXPECT_EQ(CardKeyFromDigits(9, 0, 10, -1, 255, 7),
              (CardKey{0x39, 0xFF, 0xFF, 0xFF, 0xFF, 0x37}));
    EXPECT_EQ(CardKeyFromDigits(0, 0, 0, 0, 0, 0), kFactoryCardKey);
}

TEST(CardKeyTest, SectorTrailer) {
    const SectorTrailer trailer = BuildSectorTrailer({0x31, 0x32, 0x33, 0x34, 0x35, 0x36});
    EXPECT_EQ(trailer, (SectorTrailer{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0xFF, 0x07, 0x80, 0x69,
                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace lumo::card
