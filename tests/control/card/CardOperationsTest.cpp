#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "control/card/CardError.h"
#include "control/card/CardOperations.h"
#include "engine/EngineError.h"
#include "tests/support/card/SimulatedCardEngine.h"

namespace lumo::card {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::SimulatedCardEngine;

Bytes pattern(std::size_t n, int seed = 3) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + seed);
    return bytes;
}

// The card's data area in record order, straight from the raw image.
Bytes cardRecordBytes(const engine::SimulatedCard& card) {
    Bytes bytes;
    for (const int block : DataBlockOrder()) {
        const auto b = card.block(block);
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    return bytes;
}

Bytes fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class CardOperationsTest : public testing::Test {
protected:
    void SetUp() override {
        m_oldFolder = fs::current_path();
        m_folder = fs::temp_directory_path() /
                   ("card-ops-" + std::to_string(::getpid()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::current_path(m_folder);
    }
    void TearDown() override {
        fs::current_path(m_oldFolder);
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    std::int32_t write(const Bytes& tpl, std::int32_t userId, bool changePwd = false,
                       bool extended = true) {
        return ops.WriteTemplateToCard(SimulatedCardEngine::templateText(tpl), userId, changePwd,
                                       extended);
    }
    std::int32_t read(std::string& tpl, std::int32_t& userId, bool extended = true) {
        return ops.ReadTemplateFromCard(tpl, userId, extended);
    }

    SimulatedCardEngine engine;
    CardKey cardKey = kFactoryCardKey;
    CardKey newCardKey{};
    bool engineStarts = true;
    int engineStarted = 0;
    std::vector<std::string> boxes;
    CardOperations ops{engine, cardKey, newCardKey,
                       [this] {
                           ++engineStarted;
                           return engineStarts;
                       },
                       [this](const std::string& text) { boxes.push_back(text); }};

private:
    fs::path m_oldFolder;
    fs::path m_folder;
};

TEST_F(CardOperationsTest, KeysFromDigits) {
    EXPECT_TRUE(ops.Set6FPCardKey(1, 2, 3, 0, 10, -1));
    EXPECT_EQ(cardKey, (CardKey{0x31, 0x32, 0x33, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(ops.SetNew6FPCardKey(9, 8, 7, 6, 5, 255));
    EXPECT_EQ(newCardKey, (CardKey{0x39, 0x38, 0x37, 0x36, 0x35, 0xFF}));
    EXPECT_TRUE(engine.cardCalls().empty());
    EXPECT_EQ(engineStarted, 0);
}

TEST_F(CardOperationsTest, NothingHappensWithoutTheEngine) {
    engineStarts = false;
    std::string tpl = "left over";
    std::int32_t userId = 42;
    EXPECT_EQ(write(pattern(10), 1), -1);
    EXPECT_EQ(ops.EmptyMFCard(true), -1);
    EXPECT_EQ(read(tpl, userId), -1);
    EXPECT_EQ(tpl, "");
    EXPECT_EQ(userId, 0);
    EXPECT_TRUE(engine.cardCalls().empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CardOperationsTest, NoModuleAndNoCard) {
    engine.card.setModulePresent(false);
    EXPECT_EQ(write(pattern(10), 1), 2);
    EXPECT_EQ(ops.EmptyMFCard(true), 2);
    EXPECT_EQ(engine.cardCalls(), (std::vector<std::string>{"QueryCardModule", "QueryCardModule"}));

    engine.clearCardCalls();
    engine.card.setModulePresent(true);
    engine.card.setCardPresent(false);
    EXPECT_EQ(write(pattern(10), 1), 3);
    EXPECT_EQ(ops.EmptyMFCard(false), 3);
    EXPECT_EQ(engine.cardCalls(), (std::vector<std::string>{"QueryCardModule", "CardRequest(38)",
                                                            "QueryCardModule", "CardRequest(38)"}));
    EXPECT_EQ(engine.card.transferCount(), 0);
}

TEST_F(CardOperationsTest, WritesTheRecordSectorBySector) {
    const Bytes tpl = pattern(100);
    EXPECT_EQ(write(tpl, 7), 0);
    // 110 record bytes need 7 blocks; the third transfer covers an eighth, all zero.
    EXPECT_EQ(engine.cardCallsNamed("WriteCardBlocks"),
              (std::vector<std::string>{"WriteCardBlocks(1, 2)", "WriteCardBlocks(4, 3)",
                                        "WriteCardBlocks(8, 3)"}));
    const CardRecord expected = BuildCardRecord(tpl, 7, true);
    const Bytes onCard = cardRecordBytes(engine.card);
    EXPECT_TRUE(std::equal(expected.bytes.begin(), expected.bytes.end(), onCard.begin()));
    EXPECT_EQ(engine.card.block(10), engine::SimulatedCard::Block{});
    EXPECT_EQ(engine.cardCallsNamed("TextToCardTemplate"),
              (std::vector<std::string>{"TextToCardTemplate(" +
                                        SimulatedCardEngine::templateText(tpl) + ")"}));
}

TEST_F(CardOperationsTest, TemplateStringIsTrimmedBeforeConversion) {
    EXPECT_EQ(ops.WriteTemplateToCard(" \t0a0b0c\r\n ", 1, false, true), 0);
    EXPECT_EQ(engine.cardCallsNamed("TextToCardTemplate"),
              (std::vector<std::string>{"TextToCardTemplate(0a0b0c)"}));
}

TEST_F(CardOperationsTest, AnyFailedTransferWithRecordBytesFailsTheWrite) {
    // 150 template bytes: 160 record bytes, 10 blocks, four transfers.
    struct Case {
        std::vector<int> failing;  // transfer numbers, 1 = the first
        std::int32_t result;
    } cases[] = {{{}, 0}, {{1}, 1}, {{4}, 1}, {{2, 3}, 1}, {{1, 2, 3}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.failing.size() << " failing");
        engine.card = engine::SimulatedCard();
        for (const int k : c.failing) engine.card.failTransfer(k);
        EXPECT_EQ(write(pattern(150), 1), c.result);
        EXPECT_EQ(engine.card.transferCount(), 4);  // every transfer is still attempted
    }
}

TEST_F(CardOperationsTest, KeyChangeResults) {
    ops.SetNew6FPCardKey(1, 2, 3, 4, 5, 6);
    const CardKey newKey{0x31, 0x32, 0x33, 0x34, 0x35, 0x36};
    struct Case {
        const char* name;
        int failTransfer;  // 0: none
        int failBlock;     // -1: none
        std::int32_t result;
    } cases[] = {
        {"all good", 0, -1, 0},
        {"sector 12 fails", 0, 12 * 4 + 3, 0},
        {"sector 15 fails", 0, 15 * 4 + 3, 0},
        {"sector 3 fails", 0, 3 * 4 + 3, 4},
        {"sector 9 fails", 0, 9 * 4 + 3, 4},
        {"record fails, pass good", 1, -1, 1},
        {"record fails, pass fails", 1, 0 * 4 + 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.card = engine::SimulatedCard();
        engine.clearCardCalls();
        if (c.failTransfer > 0) engine.card.failTransfer(c.failTransfer);
        if (c.failBlock >= 0) engine.card.failBlock(c.failBlock);
        EXPECT_EQ(write(pattern(20), 5, true), c.result);
        const auto writes = engine.cardCallsNamed("WriteCardBlocks");
        ASSERT_EQ(writes.size(), 1u + 16u);
        for (int s = 0; s < 16; ++s) {
            EXPECT_EQ(writes[1 + s], "WriteCardBlocks(" + std::to_string(s * 4 + 3) + ", 1)");
            const bool written = s * 4 + 3 != c.failBlock;
            EXPECT_EQ(engine.card.keyA(s), written ? newKey : kFactoryCardKey) << s;
            EXPECT_EQ(engine.card.accessBytes(s), kTrailerAccessBytes) << s;
            EXPECT_EQ(engine.card.keyB(s), kFactoryCardKey) << s;
        }
        // The control keeps its card key: the host must load the new one.
        EXPECT_EQ(cardKey, kFactoryCardKey);
    }
}

TEST_F(CardOperationsTest, UpperSectorsOfAnotherApplicationDoNotFailThePass) {
    // Sector 12 belongs to another application with a key of its own.
    const CardKey foreign{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
    auto trailer = engine.card.block(51);
    std::copy(foreign.begin(), foreign.end(), trailer.begin());
    engine.card.setBlock(51, trailer);
    ops.SetNew6FPCardKey(1, 1, 1, 1, 1, 1);
    EXPECT_EQ(write(pattern(20), 5, true), 0);
    EXPECT_EQ(engine.card.keyA(12), foreign);
    EXPECT_EQ(engine.card.keyA(11), (CardKey{0x31, 0x31, 0x31, 0x31, 0x31, 0x31}));
}

TEST_F(CardOperationsTest, NewKeyOpensTheCardOnlyOnceLoaded) {
    ops.SetNew6FPCardKey(1, 2, 3, 4, 5, 6);
    const Bytes tpl = pattern(40);
    ASSERT_EQ(write(tpl, 11, true), 0);
    std::string text;
    std::int32_t userId = -7;
    EXPECT_EQ(read(text, userId), 1);  // the old key no longer opens sector 0
    ops.Set6FPCardKey(1, 2, 3, 4, 5, 6);
    EXPECT_EQ(read(text, userId), 0);
    EXPECT_EQ(text, SimulatedCardEngine::templateText(tpl));
    EXPECT_EQ(userId, 11);
}

TEST_F(CardOperationsTest, EmptyCardRewritesEveryTrailerWithTheFactoryKey) {
    ops.Set6FPCardKey(1, 2, 3, 4, 5, 6);
    ops.SetNew6FPCardKey(1, 2, 3, 4, 5, 6);
    // A card keyed "123456" by an earlier write.
    for (int s = 0; s < 16; ++s) {
        engine.card.setBlock(s * 4 + 3, BuildSectorTrailer(cardKey));
    }
    for (const bool failRecord : {false, true}) {
        SCOPED_TRACE(failRecord ? "record write fails" : "record write good");
        engine.clearCardCalls();
        if (failRecord) engine.card.failTransfer(1);
        EXPECT_EQ(ops.EmptyMFCard(true), failRecord ? 1 : 0);
        const auto writes = engine.cardCallsNamed("WriteCardBlocks");
        ASSERT_EQ(writes.size(), 16u + 16u);
        for (int s = 0; s < 16; ++s) {
            EXPECT_EQ(writes[16 + s], "WriteCardBlocks(" + std::to_string(s * 4 + 3) + ", 1)");
        }
        EXPECT_EQ(newCardKey, kFactoryCardKey);
        if (!failRecord) {
            for (int s = 0; s < 16; ++s) EXPECT_EQ(engine.card.keyA(s), kFactoryCardKey) << s;
            const CardRecord empty = BuildEmptyCardRecord(true);
            const Bytes onCard = cardRecordBytes(engine.card);
            EXPECT_TRUE(std::equal(empty.bytes.begin(), empty.bytes.end(), onCard.begin()));
            ops.Set6FPCardKey(0, 0, 0, 0, 0, 0);
        }
    }
}

TEST_F(CardOperationsTest, EmptyCardInTheShortLayout) {
    EXPECT_EQ(ops.EmptyMFCard(false), 0);
    const Bytes onCard = cardRecordBytes(engine.card);
    EXPECT_EQ(Bytes(onCard.begin(), onCard.begin() + 8),
              (Bytes{0x6A, 0x01, 0x00, 0x00, 0xF0, 0x02, 0x0F, 0xFF}));
    std::string text = "x";
    std::int32_t userId = 3;
    // Its length field says 752, more than the card holds after the header: not a template.
    EXPECT_EQ(read(text, userId, false), -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(kReadErrorPrefix, 0), 0u);
    EXPECT_EQ(text, "");
    EXPECT_EQ(userId, 0);
}

TEST_F(CardOperationsTest, LongRecordsReadBackWhole) {
    struct Case {
        std::size_t n;
        bool extended;
        std::int32_t userId;
        std::size_t reads;
    } cases[] = {
        {1, true, 1, 1},           {22, true, 2, 1},           {23, true, 3, 2},
        {406, true, 65536 + 5, 9}, {406, false, 65536 + 5, 9}, {600, true, -1, 14},
        {742, true, 123456, 16},   {744, false, 4, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << (c.extended ? " extended" : " short"));
        engine.card = engine::SimulatedCard();
        const Bytes tpl = pattern(c.n, static_cast<int>(c.n));
        ASSERT_EQ(write(tpl, c.userId, false, c.extended), 0);
        engine.clearCardCalls();
        std::string text;
        std::int32_t userId = 0;
        EXPECT_EQ(read(text, userId, c.extended), 0);
        EXPECT_EQ(text, SimulatedCardEngine::templateText(tpl));
        EXPECT_EQ(userId, c.extended ? c.userId : (c.userId & 0xFFFF));
        EXPECT_EQ(engine.cardCallsNamed("ReadCardBlocks").size(), c.reads);
        EXPECT_EQ(fileBytes(kReadTemplateFile), tpl);  // left in place
        EXPECT_TRUE(boxes.empty());
    }
}

TEST_F(CardOperationsTest, ReadTransfersFollowTheRecordOrder) {
    ASSERT_EQ(write(pattern(100), 1), 0);
    engine.clearCardCalls();
    std::string text;
    std::int32_t userId = 0;
    EXPECT_EQ(read(text, userId), 0);
    EXPECT_EQ(engine.cardCalls(),
              (std::vector<std::string>{
                  "ReadCardBlocks(1, 2)", "ReadCardBlocks(4, 3)", "ReadCardBlocks(8, 3)",
                  "CardTemplateToText(" + SimulatedCardEngine::templateText(pattern(100)) + ")"}));
}

TEST_F(CardOperationsTest, ReadWithAFailedTransferIsOne) {
    for (const int failing : {1, 2, 9}) {
        SCOPED_TRACE(failing);
        engine.card = engine::SimulatedCard();
        ASSERT_EQ(write(pattern(406), 9), 0);
        engine.card.failTransfer(failing);
        std::string text;
        std::int32_t userId = 0;
        EXPECT_EQ(read(text, userId), 1);
        EXPECT_EQ(text, "");
        EXPECT_EQ(userId, 0);
    }
}

TEST_F(CardOperationsTest, ReadWithNoCardIsOneWithoutAskingForTheCard) {
    engine.card.setCardPresent(false);
    std::string text;
    std::int32_t userId = 0;
    EXPECT_EQ(read(text, userId), 1);
    EXPECT_TRUE(engine.cardCallsNamed("QueryCardModule").empty());
    EXPECT_TRUE(engine.cardCallsNamed("CardRequest").empty());
}

TEST_F(CardOperationsTest, NoRecordAndDamagedLengthFields) {
    struct Case {
        const char* name;
        Bytes head;
        bool extended;
    } cases[] = {
        {"blank card", Bytes(10, 0), true},
        {"wrong header byte", {0x6B, 0x01, 1, 0, 0, 0, 4, 0, 0x0F, 0xFF}, true},
        {"wrong format byte", {0x6A, 0x00, 1, 0, 0, 0, 4, 0, 0x0F, 0xFF}, true},
        {"length 2001", {0x6A, 0x01, 1, 0, 0, 0, 0xD1, 0x07, 0x0F, 0xFF}, true},
        {"length 65535", {0x6A, 0x01, 1, 0, 0xFF, 0xFF, 0x0F, 0xFF}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.card = engine::SimulatedCard();
        engine.clearCardCalls();
        engine::SimulatedCard::Block block1{};
        std::copy(c.head.begin(), c.head.end(), block1.begin());
        engine.card.setBlock(1, block1);
        std::string text = "x";
        std::int32_t userId = 5;
        EXPECT_EQ(read(text, userId, c.extended), 2);
        EXPECT_EQ(text, "");
        EXPECT_EQ(userId, 0);
        EXPECT_EQ(engine.cardCallsNamed("ReadCardBlocks").size(), 1u);
        EXPECT_FALSE(fs::exists(kReadTemplateFile));
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CardOperationsTest, RecordCutAtTheEndOfTheCardIsAnError) {
    // Written by another system: the length field says 800, the card holds 742 of them.
    const CardRecord record = BuildCardRecord(pattern(800), 1, true);
    for (const auto& t : recordTransfers(record.blocks)) {
        ASSERT_TRUE(engine.card.writeBlocks(0, t.firstBlock, t.blockCount, kFactoryCardKey,
                                            std::span(record.bytes).subspan(t.recordOffset)));
    }
    std::string text;
    std::int32_t userId = 0;
    EXPECT_EQ(read(text, userId), -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string(kReadErrorPrefix) +
                            "The card says its template has 800 bytes, but a card holds only "
                            "742 of them.");
    EXPECT_EQ(engine.cardCallsNamed("ReadCardBlocks").size(), 16u);
}

TEST_F(CardOperationsTest, ReadErrorsShowTheBoxAndGiveMinusOne) {
    ASSERT_EQ(write(pattern(30), 8), 0);
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string box;
    } cases[] = {
        {"engine error while reading",
         [this] {
             engine.onCardCall = [](const std::string& line) {
                 if (line == "ReadCardBlocks(1, 2)") throw engine::EngineError("Reader gone.");
             };
         },
         "Read fingerprint from card error. Reader gone."},
        {"engine error while converting",
         [this] {
             engine.onCardCall = [](const std::string& line) {
                 if (line.rfind("CardTemplateToText", 0) == 0) {
                     throw engine::EngineError("Bad template.");
                 }
             };
         },
         "Read fingerprint from card error. Bad template."},
        {"conversion gives nothing", [this] { engine.cardTextFails = true; },
         "Read fingerprint from card error. The template on the card could not be converted."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        engine.onCardCall = nullptr;
        engine.cardTextFails = false;
        c.arrange();
        std::string text = "x";
        std::int32_t userId = 5;
        EXPECT_EQ(read(text, userId), -1);
        EXPECT_EQ(boxes, std::vector<std::string>{c.box});
        EXPECT_EQ(text, "");
        EXPECT_EQ(userId, 0);
    }
}

TEST_F(CardOperationsTest, UnwritableTemplateFileIsThree) {
    ASSERT_EQ(write(pattern(30), 8), 0);
    fs::create_directory(kReadTemplateFile);  // cannot be opened as a file
    std::string text;
    std::int32_t userId = 0;
    EXPECT_EQ(read(text, userId), 3);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CardOperationsTest, OtherUserIdLayoutReadsTheWrongOffsets) {
    // Extended record of user 0x00200001 read as short: user id 1, length 0x20 from the id.
    const Bytes tpl = pattern(40);
    ASSERT_EQ(write(tpl, 0x00200001, false, true), 0);
    std::string text;
    std::int32_t userId = 0;
    EXPECT_EQ(read(text, userId, false), 0);
    EXPECT_EQ(userId, 1);
    const CardRecord record = BuildCardRecord(tpl, 0x00200001, true);
    EXPECT_EQ(text, SimulatedCardEngine::templateText(
                        Bytes(record.bytes.begin() + 8, record.bytes.begin() + 8 + 0x20)));
}

TEST_F(CardOperationsTest, NothingIsWrittenFromATemplateTheEngineCannotGive) {
    struct Case {
        const char* name;
        std::string templateText;
        std::function<void()> arrange;
    } cases[] = {
        {"not a template", "not hex at all", [] {}},
        {"blank", "   \r\n", [] {}},
        {"engine writes no file", "0a0b", [this] { engine.saveWritesNothing = true; }},
        {"stale file and engine writes none", "0a0b",
         [this] {
             engine.saveWritesNothing = true;
             std::ofstream(kWriteTemplateFile) << "stale bytes from an earlier run";
         }},
        {"template too long for the card", SimulatedCardEngine::templateText(pattern(743)), [] {}},
        {"template beyond the template buffer", SimulatedCardEngine::templateText(pattern(2001)),
         [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.card = engine::SimulatedCard();
        engine.saveWritesNothing = false;
        c.arrange();
        EXPECT_THROW(ops.WriteTemplateToCard(c.templateText, 1, true, true), CardError);
        EXPECT_EQ(engine.card.transferCount(), 0);
        EXPECT_FALSE(fs::exists(kWriteTemplateFile));
    }
}

TEST_F(CardOperationsTest, LumoTplNeverRemains) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        bool throws;
    } cases[] = {
        {"success", [] {}, false},
        {"failed transfer", [this] { engine.card.failTransfer(1); }, false},
        {"engine error while saving", [this] { engine.saveThrows = true; }, true},
        {"engine error while writing",
         [this] {
             engine.onCardCall = [](const std::string& line) {
                 if (line.rfind("WriteCardBlocks", 0) == 0) throw engine::EngineError("Gone.");
             };
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.card = engine::SimulatedCard();
        engine.saveThrows = false;
        engine.onCardCall = nullptr;
        c.arrange();
        if (c.throws) {
            EXPECT_THROW(write(pattern(50), 1), std::runtime_error);
        } else {
            EXPECT_NO_THROW(write(pattern(50), 1));
        }
        EXPECT_FALSE(fs::exists(kWriteTemplateFile));
    }
}

}  // namespace
}  // namespace lumo::card
