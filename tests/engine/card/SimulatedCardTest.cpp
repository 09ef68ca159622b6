#include <gtest/gtest.h>

#include <vector>

#include "engine/card/SimulatedCard.h"

namespace lumo::engine {
namespace {

using Key = SimulatedCard::Key;
using Block = SimulatedCard::Block;

constexpr Key kFactory{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr Key kOther{0x31, 0x32, 0x33, 0x34, 0x35, 0x36};

Block filled(std::uint8_t value) {
    Block b;
    b.fill(value);
    return b;
}

Block trailer(const Key& a, std::array<std::uint8_t, 4> access, const Key& b) {
    Block t{};
    std::copy(a.begin(), a.end(), t.begin());
    std::copy(access.begin(), access.end(), t.begin() + 6);
    std::copy(b.begin(), b.end(), t.begin() + 10);
    return t;
}

std::vector<std::uint8_t> read(SimulatedCard& card, int first, int count, const Key& key, bool& ok,
                               std::uint8_t type = SimulatedCard::KeyA) {
    std::vector<std::uint8_t> out(count * 16, 0xEE);
    ok = card.readBlocks(type, first, count, key, out);
    return out;
}

TEST(SimulatedCardTest, FactoryFreshCard) {
    const SimulatedCard card({0x01, 0x02, 0x03, 0x04});
    const Block b0 = card.block(0);
    EXPECT_EQ((std::vector<int>(b0.begin(), b0.begin() + 8)),
              (std::vector<int>{0x01, 0x02, 0x03, 0x04, 0x04, 0x08, 0x04, 0x00}));
    for (int sector = 0; sector < 16; ++sector) {
        SCOPED_TRACE(sector);
        EXPECT_EQ(card.keyA(sector), kFactory);
        EXPECT_EQ(card.keyB(sector), kFactory);
        EXPECT_EQ(card.accessBytes(sector), (std::array<std::uint8_t, 4>{0xFF, 0x07, 0x80, 0x69}));
    }
    EXPECT_EQ(card.block(1), Block{});
    EXPECT_EQ(card.uid(), (SimulatedCard::Uid{0x01, 0x02, 0x03, 0x04}));
}

TEST(SimulatedCardTest, ReadsAndWritesDataBlocksWithKeyA) {
    SimulatedCard card;
    std::vector<std::uint8_t> data(48);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_TRUE(card.writeBlocks(SimulatedCard::KeyA, 4, 3, kFactory, data));
    bool ok = false;
    EXPECT_EQ(read(card, 4, 3, kFactory, ok), data);
    EXPECT_TRUE(ok);
    EXPECT_EQ(card.block(5)[0], 17);
}

TEST(SimulatedCardTest, WrongKeyFailsOnlyItsSector) {
    SimulatedCard card;
    card.setBlock(7, trailer(kOther, {0xFF, 0x07, 0x80, 0x69}, kFactory));
    bool ok = true;
    read(card, 4, 3, kFactory, ok);
    EXPECT_FALSE(ok);
    read(card, 4, 3, kOther, ok);
    EXPECT_TRUE(ok);
    read(card, 8, 3, kFactory, ok);
    EXPECT_TRUE(ok);
    // A transfer across two sectors needs both keys to match: refused as a whole.
    EXPECT_FALSE(
        card.writeBlocks(SimulatedCard::KeyA, 2, 3, kFactory, std::vector<std::uint8_t>(48, 9)));
    EXPECT_EQ(card.block(2), Block{});
}

TEST(SimulatedCardTest, MakerBlockIsNeverWritable) {
    SimulatedCard card;
    const Block before = card.block(0);
    EXPECT_FALSE(
        card.writeBlocks(SimulatedCard::KeyA, 0, 1, kFactory, std::vector<std::uint8_t>(16, 0)));
    EXPECT_FALSE(
        card.writeBlocks(SimulatedCard::KeyA, 0, 2, kFactory, std::vector<std::uint8_t>(32, 0)));
    EXPECT_EQ(card.block(0), before);
    EXPECT_EQ(card.block(1), Block{});
    bool ok = false;
    const auto bytes = read(card, 0, 1, kFactory, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(bytes[0], before[0]);
}

TEST(SimulatedCardTest, TrailerReadsBackWithKeyAHidden) {
    SimulatedCard card;
    bool ok = false;
    const auto bytes = read(card, 3, 1, kFactory, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xFF, 0x07, 0x80, 0x69, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(SimulatedCardTest, TransportTrailerIsRewrittenWithKeyA) {
    SimulatedCard card;
    const Block newTrailer = trailer(kOther, {0xFF, 0x07, 0x80, 0x69}, kFactory);
    ASSERT_TRUE(card.writeBlocks(SimulatedCard::KeyA, 7, 1, kFactory,
                                 std::vector<std::uint8_t>(newTrailer.begin(), newTrailer.end())));
    EXPECT_EQ(card.keyA(1), kOther);
    bool ok = true;
    read(card, 4, 1, kFactory, ok);
    EXPECT_FALSE(ok);
    read(card, 4, 1, kOther, ok);
    EXPECT_TRUE(ok);
}

TEST(SimulatedCardTest, ReadableKeyBCannotAuthenticate) {
    SimulatedCard card;
    bool ok = true;
    read(card, 4, 1, kFactory, ok, SimulatedCard::KeyB);
    EXPECT_FALSE(ok);
}

TEST(SimulatedCardTest, AccessBitsDecideWhatEachKeyMayDo) {
    // 78 77 88: data blocks read with A or B, written with B only; trailer written with B.
    SimulatedCard card;
    const Key keyB{0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5};
    card.setBlock(7, trailer(kFactory, {0x78, 0x77, 0x88, 0x69}, keyB));
    const std::vector<std::uint8_t> data(16, 0x42);
    bool ok = false;
    read(card, 4, 1, kFactory, ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(card.writeBlocks(SimulatedCard::KeyA, 4, 1, kFactory, data));
    EXPECT_TRUE(card.writeBlocks(SimulatedCard::KeyB, 4, 1, keyB, data));
    EXPECT_EQ(card.block(4), filled(0x42));
    const Block t = trailer(kOther, {0xFF, 0x07, 0x80, 0x69}, kFactory);
    EXPECT_FALSE(card.writeBlocks(SimulatedCard::KeyA, 7, 1, kFactory,
                                  std::vector<std::uint8_t>(t.begin(), t.end())));
    EXPECT_EQ(card.keyA(1), kFactory);
    // Key B is not readable under these bits: it reads as zeros.
    const auto bytes = read(card, 7, 1, kFactory, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 10, bytes.end()),
              std::vector<std::uint8_t>(6, 0));
}

TEST(SimulatedCardTest, BadAccessBytesLockTheSectorForGood) {
    SimulatedCard card;
    const Block bad = trailer(kFactory, {0x00, 0x00, 0x00, 0x69}, kFactory);
    EXPECT_TRUE(card.writeBlocks(SimulatedCard::KeyA, 11, 1, kFactory,
                                 std::vector<std::uint8_t>(bad.begin(), bad.end())));
    bool ok = true;
    read(card, 8, 1, kFactory, ok);
    EXPECT_FALSE(ok);
    const Block good = trailer(kFactory, {0xFF, 0x07, 0x80, 0x69}, kFactory);
    EXPECT_FALSE(card.writeBlocks(SimulatedCard::KeyA, 11, 1, kFactory,
                                  std::vector<std::uint8_t>(good.begin(), good.end())));
    read(card, 12, 1, kFactory, ok);
    EXPECT_TRUE(ok);
}

TEST(SimulatedCardTest, AccessByteValidation) {
    struct Case {
        std::array<std::uint8_t, 3> bytes;
        bool valid;
    } cases[] = {{{0xFF, 0x07, 0x80}, true},
                 {{0x78, 0x77, 0x88}, true},
                 {{0x7F, 0x07, 0x88}, true},
                 {{0xFF, 0x07, 0x81}, false},
                 {{0x00, 0x00, 0x00}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int(c.bytes[0]) << " " << int(c.bytes[1]) << " " << int(c.bytes[2]));
        EXPECT_EQ(SimulatedCard::accessBytesValid(c.bytes), c.valid);
    }
}

TEST(SimulatedCardTest, ModuleAndCardPresence) {
    SimulatedCard card;
    bool ok = false;
    EXPECT_TRUE(card.queryModule());
    EXPECT_TRUE(card.request());

    card.setCardPresent(false);
    EXPECT_TRUE(card.queryModule());
    EXPECT_FALSE(card.request());
    read(card, 1, 2, kFactory, ok);
    EXPECT_FALSE(ok);

    card.setModulePresent(false);
    card.setCardPresent(true);
    EXPECT_FALSE(card.queryModule());
    EXPECT_FALSE(card.request());
    EXPECT_FALSE(
        card.writeBlocks(SimulatedCard::KeyA, 1, 1, kFactory, std::vector<std::uint8_t>(16, 1)));
    EXPECT_EQ(card.block(1), Block{});
}

TEST(SimulatedCardTest, ScriptedTransferFailures) {
    SimulatedCard card;
    card.failTransfer(2);
    const std::vector<std::uint8_t> data(16, 7);
    EXPECT_TRUE(card.writeBlocks(SimulatedCard::KeyA, 1, 1, kFactory, data));
    EXPECT_FALSE(card.writeBlocks(SimulatedCard::KeyA, 2, 1, kFactory, data));
    EXPECT_TRUE(card.writeBlocks(SimulatedCard::KeyA, 4, 1, kFactory, data));
    EXPECT_EQ(card.block(2), Block{});
    EXPECT_EQ(card.transferCount(), 3);

    card.failBlock(9);
    bool ok = true;
    read(card, 8, 3, kFactory, ok);
    EXPECT_FALSE(ok);
    read(card, 8, 1, kFactory, ok);
    EXPECT_TRUE(ok);
    card.clearFailures();
    read(card, 8, 3, kFactory, ok);
    EXPECT_TRUE(ok);
}

TEST(SimulatedCardTest, RefusesTransfersOutsideTheCardOrBuffer) {
    SimulatedCard card;
    std::vector<std::uint8_t> small(16);
    std::vector<std::uint8_t> two(32);
    EXPECT_FALSE(card.readBlocks(SimulatedCard::KeyA, 1, 2, kFactory, small));
    EXPECT_FALSE(card.readBlocks(SimulatedCard::KeyA, 63, 2, kFactory, two));
    EXPECT_FALSE(card.writeBlocks(SimulatedCard::KeyA, 62, 0, kFactory, small));
    EXPECT_FALSE(card.writeBlocks(SimulatedCard::KeyA, -1, 1, kFactory, small));
}

TEST(SimulatedCardTest, Dumps) {
    SimulatedCard card;
    card.setBlock(1, filled(0x5A));
    const auto dump = card.dump();
    ASSERT_EQ(dump.size(), 1024u);
    EXPECT_EQ(SimulatedCard::fromDump(dump).image(), card.image());
    std::vector<std::uint8_t> old(4096, 0);
    std::copy(dump.begin(), dump.end(), old.begin());
    EXPECT_EQ(SimulatedCard::fromDump(old).image(), card.image());
    EXPECT_THROW(SimulatedCard::fromDump(std::vector<std::uint8_t>(1023)),
                 SimulatedCard::DumpError);
}

}  // namespace
}  // namespace lumo::engine
