// The control's card operations running on the real engine and its simulated reader: the
// records, key changes and emptying land in the dump file exactly as the card layout says.
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "RuntimeTestSupport.h"
#include "control/card/CardKey.h"
#include "control/card/CardOperations.h"
#include "control/card/CardRecord.h"
#include "engine/card/SimulatedCard.h"

using namespace lumo::engine;
using namespace lumo::test;
namespace card = lumo::card;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A dump with the record laid over the data blocks and the given trailer in every sector.
Bytes expectedDump(const card::CardRecord& record, int recordBlocks,
                   const card::SectorTrailer& trailer) {
    Bytes dump = SimulatedCard().dump();
    const auto& order = card::DataBlockOrder();
    for (int i = 0; i < recordBlocks; ++i)
        std::copy_n(record.bytes.begin() + i * 16, 16, dump.begin() + order[i] * 16);
    for (int s = 0; s < 16; ++s)
        std::copy(trailer.begin(), trailer.end(), dump.begin() + (s * 4 + 3) * 16);
    return dump;
}

class CardPath : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApplication();
        dumpFile = temp / "card.mfd";
        const Bytes blank = SimulatedCard().dump();
        std::ofstream(dumpFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(blank.data()), 1024);
        settings = virtualSettings(temp / "feed", dumpFile.string());
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        m_cwd = cwd;
        ASSERT_EQ(::chdir(temp.path().c_str()), 0);  // the temporary template files lie here
    }
    void TearDown() override { ASSERT_EQ(::chdir(m_cwd.c_str()), 0); }

    std::string templateOf(const std::string& name, bool registration) {
        std::string text;
        EXPECT_TRUE(registration ? engine.RegTemplateFromImageFile(print(name), 0, text)
                                 : engine.VerTemplateFromImageFile(print(name), 0, text));
        return text;
    }

    TempFolder temp;
    std::filesystem::path dumpFile;
    EngineSettings settings;
    FPEngine engine{[this] { return settings; }};
    card::CardKey cardKey{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    card::CardKey newCardKey{};
    std::vector<std::string> boxes;
    card::CardOperations operations{engine, cardKey, newCardKey,
                                    [this] { return engine.StartEngine() == StartOk; },
                                    [this](const std::string& text) { boxes.push_back(text); }};

private:
    std::string m_cwd;
};

TEST_F(CardPath, WriteReadChangeKeysAndEmpty) {
    const std::string reg = templateOf("103_1", true);
    const std::string ver = templateOf("103_7", false);
    TemplateValue cardTemplate;
    engine.TextToCardTemplate(reg, cardTemplate);

    operations.Set6FPCardKey(0, 0, 0, 0, 0, 0);
    ASSERT_EQ(operations.WriteTemplateToCard(reg, 17, false, true), card::CardDone);
    EXPECT_FALSE(std::filesystem::exists(temp / card::kWriteTemplateFile));
    const card::CardRecord record = card::BuildCardRecord(cardTemplate, 17, true);
    const card::SectorTrailer factory =
        card::BuildSectorTrailer(card::CardKeyFromDigits(0, 0, 0, 0, 0, 0));
    // The record array is zero after the record, as the blank card's data blocks are, so all
    // 47 blocks compare.
    EXPECT_EQ(readFile(dumpFile), expectedDump(record, 47, factory));

    std::string back;
    std::int32_t userId = 0;
    ASSERT_EQ(operations.ReadTemplateFromCard(back, userId, true), card::CardDone);
    EXPECT_EQ(userId, 17);
    bool changed = false;
    EXPECT_TRUE(engine.MatchTemplateStrings(back, ver, false, changed));

    // New keys 1 2 3 4 5 6 in every sector.
    operations.SetNew6FPCardKey(1, 2, 3, 4, 5, 6);
    ASSERT_EQ(operations.WriteTemplateToCard(reg, 17, true, true), card::CardDone);
    const card::SectorTrailer digits =
        card::BuildSectorTrailer(card::CardKeyFromDigits(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(readFile(dumpFile), expectedDump(record, 47, digits));
    // The old key opens nothing any more; a wrong key changes nothing.
    EXPECT_EQ(operations.ReadTemplateFromCard(back, userId, true), card::CardTransferFailed);
    const Bytes before = readFile(dumpFile);
    EXPECT_EQ(operations.WriteTemplateToCard(reg, 99, false, true), card::CardTransferFailed);
    EXPECT_EQ(readFile(dumpFile), before);
    operations.Set6FPCardKey(1, 2, 3, 4, 5, 6);
    EXPECT_EQ(operations.ReadTemplateFromCard(back, userId, true), card::CardDone);

    // Emptying: the empty record over all 47 blocks and the factory key everywhere.
    ASSERT_EQ(operations.EmptyMFCard(true), card::CardDone);
    EXPECT_EQ(readFile(dumpFile), expectedDump(card::BuildEmptyCardRecord(true), 47, factory));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CardPath, NoCardNoModuleDamagedDump) {
    const std::string reg = templateOf("103_1", true);
    settings.cardDump = (temp / "absent.mfd").string();
    EXPECT_EQ(operations.WriteTemplateToCard(reg, 1, false, true), card::CardNoCard);
    settings.cardModule = "none";
    EXPECT_EQ(operations.WriteTemplateToCard(reg, 1, false, true), card::CardNoModule);
    settings.cardModule = "simulated";
    settings.cardDump = (temp / "short.mfd").string();
    std::ofstream(settings.cardDump, std::ios::binary) << std::string(300, '\0');
    try {
        operations.WriteTemplateToCard(reg, 1, false, true);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("holds 300 bytes"), std::string::npos) << e.what();
    }
    std::string back;
    std::int32_t userId = 5;
    EXPECT_EQ(operations.ReadTemplateFromCard(back, userId, true), card::CardNoEngine);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(card::kReadErrorPrefix, 0), 0u) << boxes[0];
    EXPECT_EQ(readFile(settings.cardDump).size(), 300u);
}

}  // namespace
