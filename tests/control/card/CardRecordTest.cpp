#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "control/card/CardError.h"
#include "control/card/CardRecord.h"

namespace lumo::card {
namespace {

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

std::vector<std::uint8_t> head(const CardRecord& record, std::size_t n) {
    return {record.bytes.begin(), record.bytes.begin() + n};
}

bool zeroFrom(const CardRecord& record, std::size_t from) {
    for (std::size_t i = from; i < record.bytes.size(); ++i) {
        if (record.bytes[i] != 0) return false;
    }
    return true;
}

TEST(CardRecordTest, DataBlocksSkipTheMakerBlockAndEveryTrailer) {
    const auto& order = DataBlockOrder();
    ASSERT_EQ(order.size(), 47u);
    EXPECT_EQ((std::vector<int>(order.begin(), order.begin() + 8)),
              (std::vector<int>{1, 2, 4, 5, 6, 8, 9, 10}));
    EXPECT_EQ((std::vector<int>(order.end() - 3, order.end())), (std::vector<int>{60, 61, 62}));
    for (const int block : order) EXPECT_NE(block % 4, 3) << block;
}

TEST(CardRecordTest, HeaderBytesOfBothLayouts) {
    const std::vector<std::uint8_t> tpl{0xAA, 0xBB, 0xCC};
    struct Case {
        bool extended;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {true, {0x6A, 0x01, 0x04, 0x03, 0x02, 0x01, 0x03, 0x00, 0x0F, 0xFF, 0xAA, 0xBB, 0xCC}},
        {false, {0x6A, 0x01, 0x04, 0x03, 0x03, 0x00, 0x0F, 0xFF, 0xAA, 0xBB, 0xCC}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extended ? "extended" : "short");
        const CardRecord record = BuildCardRecord(tpl, 0x01020304, c.extended);
        EXPECT_EQ(head(record, c.expected.size()), c.expected);
        EXPECT_TRUE(zeroFrom(record, c.expected.size()));
        EXPECT_EQ(record.length, static_cast<int>(c.expected.size()));
        EXPECT_EQ(record.blocks, 1);
    }
}

TEST(CardRecordTest, LengthsAndBlocks) {
    struct Case {
        std::size_t n;
        bool extended;
        int length;
        int blocks;
    } cases[] = {
        {0, true, 10, 1},      {0, false, 8, 1},     {6, true, 16, 1},      {9, false, 17, 2},
        {100, true, 110, 7},   {406, true, 416, 26}, {406, false, 414, 26}, {742, true, 752, 47},
        {744, false, 752, 47}, {743, true, 752, 47}, {800, true, 752, 47},  {2000, false, 752, 47},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n=" << c.n << (c.extended ? " extended" : " short"));
        const CardRecord record = BuildCardRecord(pattern(c.n), 1, c.extended);
        EXPECT_EQ(record.length, c.length);
        EXPECT_EQ(record.blocks, c.blocks);
        EXPECT_TRUE(zeroFrom(record, c.length));
    }
}

TEST(CardRecordTest, TemplatesThatFillTheCardExactly) {
    for (const bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "extended" : "short");
        const auto tpl = pattern(extended ? 742 : 744);
        const CardRecord record = BuildCardRecord(tpl, 9, extended);
        EXPECT_EQ(record.length, 752);
        EXPECT_EQ(record.blocks, 47);
        EXPECT_EQ(record.bytes[751], tpl.back());
        const auto parsed = ParseCardRecord(record.bytes, extended);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->templateBytes, tpl);
        EXPECT_FALSE(parsed->isCut());
    }
}

TEST(CardRecordTest, LongTemplateIsCutButKeepsItsLengthField) {
    const auto tpl = pattern(800);
    const CardRecord record = BuildCardRecord(tpl, 1, true);
    EXPECT_EQ(record.bytes[6], 0x20);
    EXPECT_EQ(record.bytes[7], 0x03);
    EXPECT_EQ(record.length, 752);
    EXPECT_TRUE(std::equal(tpl.begin(), tpl.begin() + 742, record.bytes.begin() + 10));

    const auto parsed = ParseCardRecord(record.bytes, true);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->length, 800);
    // What the card holds, never bytes from beyond it.
    EXPECT_EQ(parsed->templateBytes, std::vector<std::uint8_t>(tpl.begin(), tpl.begin() + 742));
    EXPECT_TRUE(parsed->isCut());
}

TEST(CardRecordTest, TemplateLargerThanTheTemplateBufferIsRefused) {
    EXPECT_THROW(BuildCardRecord(pattern(2001), 1, true), CardError);
    EXPECT_NO_THROW(BuildCardRecord(pattern(2000), 1, true));
}

TEST(CardRecordTest, UserIdsInBothLayouts) {
    struct Case {
        std::int32_t userId;
        bool extended;
        std::vector<std::uint8_t> stored;
        std::int32_t readBack;
    } cases[] = {
        {65536 + 5, false, {0x05, 0x00}, 5},
        {65536 + 5, true, {0x05, 0x00, 0x01, 0x00}, 65536 + 5},
        {-1, true, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {-1, false, {0xFF, 0xFF}, 65535},
        {0, true, {0, 0, 0, 0}, 0},
        {INT32_MIN, true, {0x00, 0x00, 0x00, 0x80}, INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.userId << (c.extended ? " extended" : " short"));
        const CardRecord record = BuildCardRecord(pattern(4), c.userId, c.extended);
        EXPECT_EQ(std::vector<std::uint8_t>(record.bytes.begin() + 2,
                                            record.bytes.begin() + 2 + c.stored.size()),
                  c.stored);
        const auto parsed = ParseCardRecord(record.bytes, c.extended);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->userId, c.readBack);
        EXPECT_EQ(parsed->templateBytes, pattern(4));
    }
}

TEST(CardRecordTest, EmptyTemplateNeedsOneBlockAndOneTransfer) {
    for (const bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "extended" : "short");
        const CardRecord record = BuildCardRecord({}, 3, extended);
        EXPECT_EQ(record.length, extended ? 10 : 8);
        EXPECT_EQ(record.blocks, 1);
        const auto transfers = recordTransfers(record.blocks);
        ASSERT_EQ(transfers.size(), 1u);
        EXPECT_EQ(transfers[0].firstBlock, 1);
        EXPECT_EQ(transfers[0].blockCount, 2);
        EXPECT_TRUE(zeroFrom(record, record.length));  // block 2 all zero
        const auto parsed = ParseCardRecord(record.bytes, extended);
        ASSERT_TRUE(parsed);
        EXPECT_TRUE(parsed->templateBytes.empty());
    }
}

TEST(CardRecordTest, MarkersAreNotChecked) {
    for (const bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "extended" : "short");
        CardRecord record = BuildCardRecord(pattern(5), 77, extended);
        const int markers = recordHeaderSize(extended) - 2;
        record.bytes[markers] = 0x00;
        record.bytes[markers + 1] = 0x42;
        const auto parsed = ParseCardRecord(record.bytes, extended);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->userId, 77);
        EXPECT_EQ(parsed->templateBytes, pattern(5));
    }
}

TEST(CardRecordTest, WhatIsNoRecord) {
    const CardRecord good = BuildCardRecord(pattern(5), 1, true);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"blank card", std::vector<std::uint8_t>(752, 0)},
        {"header byte", {0x6B, 0x01, 0, 0, 0, 0, 0, 0, 0x0F, 0xFF}},
        {"format byte", {0x6A, 0x02, 0, 0, 0, 0, 0, 0, 0x0F, 0xFF}},
        {"shorter than the header", {0x6A, 0x01, 0, 0}},
        {"nothing", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ParseCardRecord(c.bytes, true));
        EXPECT_FALSE(recordLengthField(c.bytes, true));
    }
    EXPECT_TRUE(ParseCardRecord(good.bytes, true));
}

TEST(CardRecordTest, DamagedLengthFieldIsNoRecord) {
    for (const bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "extended" : "short");
        CardRecord record = BuildCardRecord(pattern(5), 1, extended);
        const int pos = extended ? 6 : 4;
        struct Case {
            std::uint16_t length;
            bool accepted;
        } cases[] = {{2000, true}, {2001, false}, {0xFFFF, false}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.length);
            record.bytes[pos] = c.length & 0xFF;
            record.bytes[pos + 1] = c.length >> 8;
            const auto parsed = ParseCardRecord(record.bytes, extended);
            EXPECT_EQ(parsed.has_value(), c.accepted);
            if (parsed) {
                EXPECT_EQ(parsed->templateBytes.size(),
                          static_cast<std::size_t>(752 - recordHeaderSize(extended)));
            }
        }
    }
}

TEST(CardRecordTest, TemplateNeverReadPastTheBytesGiven) {
    const CardRecord record = BuildCardRecord(pattern(100), 1, true);
    const std::span<const std::uint8_t> firstTransfer(record.bytes.data(), 32);
    const auto parsed = ParseCardRecord(firstTransfer, true);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->length, 100);
    EXPECT_EQ(parsed->templateBytes.size(), 22u);
}

TEST(CardRecordTest, EmptyRecordOfBothLayouts) {
    struct Case {
        bool extended;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {true, {0x6A, 0x01, 0, 0, 0, 0, 0xF0, 0x02, 0x0F, 0xFF}},
        {false, {0x6A, 0x01, 0, 0, 0xF0, 0x02, 0x0F, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extended ? "extended" : "short");
        const CardRecord record = BuildEmptyCardRecord(c.extended);
        EXPECT_EQ(head(record, c.expected.size()), c.expected);
        EXPECT_TRUE(zeroFrom(record, c.expected.size()));
        EXPECT_EQ(record.length, 752);
        EXPECT_EQ(record.blocks, 47);
        EXPECT_EQ(recordLengthField(record.bytes, c.extended), 752);
        const auto parsed = ParseCardRecord(record.bytes, c.extended);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->userId, 0);
        EXPECT_EQ(parsed->length, 752);
    }
}

TEST(CardRecordTest, OtherLayoutReadsFromTheWrongOffsets) {
    const CardRecord record = BuildCardRecord(pattern(20), 0x00140203, true);
    // Short reader: user id from bytes 2-3, length from bytes 4-5 (the id's high half).
    const auto parsed = ParseCardRecord(record.bytes, false);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->userId, 0x0203);
    EXPECT_EQ(parsed->length, 0x14);
}

TEST(CardRecordTest, SectorTransfers) {
    struct Case {
        int blocks;
        std::vector<std::array<int, 3>> expected;  // first block, count, record offset
    } cases[] = {
        {1, {{1, 2, 0}}},
        {2, {{1, 2, 0}}},
        {3, {{1, 2, 0}, {4, 3, 32}}},
        {7, {{1, 2, 0}, {4, 3, 32}, {8, 3, 80}}},
        {26,
         {{1, 2, 0},
          {4, 3, 32},
          {8, 3, 80},
          {12, 3, 128},
          {16, 3, 176},
          {20, 3, 224},
          {24, 3, 272},
          {28, 3, 320},
          {32, 3, 368}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blocks);
        std::vector<std::array<int, 3>> got;
        for (const auto& t : recordTransfers(c.blocks)) {
            got.push_back({t.firstBlock, t.blockCount, t.recordOffset});
        }
        EXPECT_EQ(got, c.expected);
    }
    const auto all = recordTransfers(47);
    ASSERT_EQ(all.size(), 16u);
    EXPECT_EQ(all.back().firstBlock, 60);
    EXPECT_EQ(all.back().recordOffset + all.back().blockCount * 16, 752);
    // Every data block in record order, each once.
    std::vector<int> blocks;
    for (const auto& t : all) {
        for (int b = 0; b < t.blockCount; ++b) blocks.push_back(t.firstBlock + b);
    }
    EXPECT_EQ(blocks, std::vector<int>(DataBlockOrder().begin(), DataBlockOrder().end()));
    EXPECT_EQ(recordTransfers(100).size(), 16u);
}

}  // namespace
}  // namespace lumo::card
