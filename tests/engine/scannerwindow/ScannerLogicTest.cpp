// The virtual scanner window's logic without widgets: the gallery listing, the poor press the
// real extractor rejects, blank cards the simulated card and the control's card operations
// accept, putting cards on the reader and taking them off, and one window per feed folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <set>

#include "control/card/CardKey.h"
#include "control/card/CardOperations.h"
#include "engine/card/SimulatedCard.h"
#include "engine/extract/Extractor.h"
#include "engine/extract/ImageQuality.h"
#include "engine/image/ImageLoader.h"
#include "engine/runtime/FPEngine.h"
#include "engine/scannerwindow/CardShelf.h"
#include "engine/scannerwindow/Gallery.h"
#include "engine/scannerwindow/ScannerLock.h"
#include "engine/scannerwindow/Smudge.h"
#include "platform/registry/Registry.h"
#include "tests/support/qt/GuiApplication.h"

using namespace lumo::scanner;
using namespace lumo::engine;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string print(const std::string& set, const std::string& name) {
    return std::string(LUMO_SHARED_DATA_DIR) + "/fingerprints/" + set + "/" + name + ".tif";
}

Bytes readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

class Folder : public ::testing::Test {
protected:
    fs::path dir() const { return temp.path().toStdString(); }
    QTemporaryDir temp;
};

}  // namespace

// --- gallery ---------------------------------------------------------------------------------

TEST(GalleryNames, ImageExtensionsAndNaturalOrder) {
    for (const char* name :
         {"a.png", "a.PNG", "a.tif", "a.tiff", "a.bmp", "a.jpg", "a.JPEG", "a.pgm"})
        EXPECT_TRUE(isGalleryImageName(name)) << name;
    for (const char* name : {"a.txt", "a", "a.png.part", "a.mfd", "png"})
        EXPECT_FALSE(isGalleryImageName(name)) << name;

    const struct {
        const char* a;
        const char* b;
    } ordered[] = {{"print 9", "print 10"}, {"101_2.tif", "101_10.tif"}, {"a", "B"},
                   {"x2", "x02a"},          {"Anna", "anna 2"},          {"7", "a"}};
    for (const auto& c : ordered) {
        SCOPED_TRACE(std::string(c.a) + " < " + c.b);
        EXPECT_TRUE(naturalLess(c.a, c.b));
        EXPECT_FALSE(naturalLess(c.b, c.a));
    }
    EXPECT_FALSE(naturalLess("same", "same"));
}

TEST_F(Folder, GalleryListsFingersImpressionsAndLooseImages) {
    const fs::path g = dir() / "fingers";
    touch(g / "Ben - left thumb" / "2.png");
    touch(g / "Ben - left thumb" / "10.png");
    touch(g / "Ben - left thumb" / "1.tif");
    touch(g / "Ben - left thumb" / "notes.txt");
    touch(g / "Ben - left thumb" / ".hidden.png");
    touch(g / "Anna - right index" / "a.bmp");
    touch(g / "Empty finger" / "readme.txt");
    touch(g / ".trash" / "x.png");
    touch(g / "loose-2.jpg");
    touch(g / "loose-1.png");
    touch(g / "list.csv");

    const auto fingers = listGallery(g);
    ASSERT_EQ(fingers.size(), 3u);
    EXPECT_EQ(fingers[0],
              (GalleryFinger{"Anna - right index", {g / "Anna - right index" / "a.bmp"}}));
    EXPECT_EQ(fingers[1],
              (GalleryFinger{"Ben - left thumb",
                             {g / "Ben - left thumb" / "1.tif", g / "Ben - left thumb" / "2.png",
                              g / "Ben - left thumb" / "10.png"}}));
    EXPECT_EQ(fingers[2], (GalleryFinger{"fingers", {g / "loose-1.png", g / "loose-2.jpg"}}));

    const auto images = galleryImages(fingers);
    ASSERT_EQ(images.size(), 6u);
    EXPECT_EQ(images[0],
              (GalleryImage{"Anna - right index", 1, g / "Anna - right index" / "a.bmp"}));
    EXPECT_EQ(images[3], (GalleryImage{"Ben - left thumb", 3, g / "Ben - left thumb" / "10.png"}));
    EXPECT_EQ(images[5], (GalleryImage{"fingers", 2, g / "loose-2.jpg"}));

    EXPECT_TRUE(listGallery(dir() / "missing").empty());
    EXPECT_TRUE(listGallery(g / "list.csv").empty());  // a file, not a folder
}

// --- poor press ------------------------------------------------------------------------------

TEST(Smudge, RealExtractorRejectsTheSmudgeAndAcceptsTheOriginal) {
    const struct {
        const char* set;
        const char* name;
    } prints[] = {{"fvc2002_db4_b", "101_1"}, {"fvc2002_db4_b", "104_3"},
                  {"fvc2002_db4_b", "107_8"}, {"fvc2000_db1_b", "101_1"},
                  {"fvc2000_db1_b", "105_2"}, {"fvc2000_db1_b", "108_1"}};
    for (const auto& p : prints) {
        SCOPED_TRACE(std::string(p.set) + "/" + p.name);
        const GrayImage original = loadImage(print(p.set, p.name));
        ASSERT_EQ(extract(original).quality, 0) << "the sample must be a good press";
        const GrayImage smudged = smudgeImage(original);
        EXPECT_EQ(smudged.width, original.width);
        EXPECT_EQ(smudged.height, original.height);
        EXPECT_EQ(smudged.resolution, original.resolution);
        const int quality = extract(smudged).quality;
        EXPECT_NE(quality, 0);
        // A poor press of a finger, not an empty sensor.
        EXPECT_NE(quality, static_cast<int>(ImageQuality::Empty));
        // The same smudge every time.
        EXPECT_EQ(smudgeImage(original).pixels, smudged.pixels);
    }
    EXPECT_TRUE(smudgeImage(GrayImage{}).empty());
}

// --- cards -----------------------------------------------------------------------------------

TEST(BlankCard, FactoryLayout) {
    const CardUid uid{0x1A, 0x2B, 0x3C, 0x4D};
    const Bytes dump = blankCardDump(uid);
    ASSERT_EQ(dump.size(), 1024u);
    // Block 0: UID, BCC, SAK 08, ATQA 04 00, maker bytes.
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 8),
              (Bytes{0x1A, 0x2B, 0x3C, 0x4D, 0x1A ^ 0x2B ^ 0x3C ^ 0x4D, 0x08, 0x04, 0x00}));
    const Bytes trailer{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x07,
                        0x80, 0x69, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int block = 1; block < 64; ++block) {
        SCOPED_TRACE(block);
        const Bytes bytes(dump.begin() + block * 16, dump.begin() + block * 16 + 16);
        EXPECT_EQ(bytes, block % 4 == 3 ? trailer : Bytes(16, 0));
    }
    EXPECT_EQ(uidText(uid), "1A 2B 3C 4D");
}

TEST(BlankCard, RandomUidsAreValid) {
    std::set<CardUid> seen;
    for (int i = 0; i < 2000; ++i) {
        const CardUid uid = randomCardUid();
        EXPECT_NE(uid[0], 0x88);
        EXPECT_NE(uid, CardUid{});
        seen.insert(uid);
    }
    EXPECT_GT(seen.size(), 1990u);
}

TEST_F(Folder, BlankCardOpensWithTheFactoryKeyOnTheSimulatedCard) {
    const fs::path file = createBlankCard(dir() / "new" / "shelf", CardUid{0xDE, 0xAD, 0x10, 0x01});
    EXPECT_EQ(file, dir() / "new" / "shelf" / "blank-DEAD1001.mfd");
    const Bytes dump = readFile(file);
    SimulatedCard card = SimulatedCard::fromDump(dump);
    EXPECT_EQ(card.request(), (SimulatedCard::Uid{0xDE, 0xAD, 0x10, 0x01}));
    const SimulatedCard::Key factory{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<std::uint8_t> all(64 * 16);
    ASSERT_TRUE(card.readBlocks(SimulatedCard::KeyA, 0, 64, factory, all));
    const std::vector<std::uint8_t> data(3 * 16, 0x5C);
    EXPECT_TRUE(card.writeBlocks(SimulatedCard::KeyA, 4, 3, factory, data));
    EXPECT_FALSE(card.writeBlocks(SimulatedCard::KeyA, 0, 1, factory,
                                  std::vector<std::uint8_t>(16, 0)));  // block 0 stays
    const SimulatedCard::Key wrong{1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(card.readBlocks(SimulatedCard::KeyA, 4, 1, wrong, std::span(all).first(16)));

    // A second card of the same UID gets a name of its own; the first is not replaced.
    const fs::path again =
        createBlankCard(dir() / "new" / "shelf", CardUid{0xDE, 0xAD, 0x10, 0x01});
    EXPECT_EQ(again.filename(), "blank-DEAD1001-2.mfd");
    EXPECT_EQ(readFile(file), dump);
    // A folder that cannot be made.
    touch(dir() / "plain-file");
    EXPECT_THROW(createBlankCard(dir() / "plain-file" / "shelf", randomCardUid()),
                 std::runtime_error);
}

TEST_F(Folder, ShelfListsDumpsInNameOrder) {
    const fs::path shelf = dir() / "cards";
    createBlankCard(shelf, CardUid{0x02, 0, 0, 1});
    createBlankCard(shelf, CardUid{0x01, 0, 0, 1});
    touch(shelf / "short.mfd");  // not a dump
    touch(shelf / ".hidden.mfd");
    touch(shelf / "notes.txt");
    const auto cards = listCardShelf(shelf);
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[0].name, "blank-01000001");
    EXPECT_EQ(cards[0].uid, (CardUid{0x01, 0, 0, 1}));
    EXPECT_EQ(cards[1].name, "blank-02000001");
    EXPECT_EQ(cards[2].name, "short");
    EXPECT_FALSE(cards[2].uid.has_value());
    EXPECT_TRUE(listCardShelf(dir() / "missing").empty());
}

class ReaderSlot : public Folder {
protected:
    void SetUp() override {
        lumo::test::ensureGuiApplication();
        ::setenv("LUMO_REGISTRY", (dir() / "registry").c_str(), 1);
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        m_cwd = cwd;
        ASSERT_EQ(::chdir(temp.path().toLocal8Bit().constData()), 0);  // "Lumo.tpl" lies here
    }
    void TearDown() override { ASSERT_EQ(::chdir(m_cwd.c_str()), 0); }

private:
    std::string m_cwd;
};

TEST_F(ReaderSlot, PutAndTakeWriteTheCardDumpSettingTheEngineReads) {
    FPEngine engine;  // settings from the registry, at every card operation
    std::vector<std::uint8_t> info(3), serial(4);
    EXPECT_TRUE(cardOnReader().empty());
    EXPECT_FALSE(engine.CardRequest(0, 0, 0x52, 0, info, serial));

    const fs::path file = createBlankCard("cards", CardUid{0xA1, 0xB2, 0xC3, 0xD4});
    ASSERT_TRUE(file.is_relative());
    putCardOnReader(file);
    const auto stored = lumo::registry::readValue(lumo::registry::Root::LocalMachine,
                                                  EngineSettings::kRegistryKey, "CardDump");
    EXPECT_EQ(stored, (dir() / "cards" / "blank-A1B2C3D4.mfd").string());  // absolute
    EXPECT_EQ(cardOnReader(), dir() / "cards" / "blank-A1B2C3D4.mfd");
    ASSERT_TRUE(engine.CardRequest(0, 0, 0x52, 0, info, serial));
    EXPECT_EQ(serial, (std::vector<std::uint8_t>{0xA1, 0xB2, 0xC3, 0xD4}));
    EXPECT_EQ(info, (std::vector<std::uint8_t>{0x04, 0x00, 0x08}));

    takeCardOffReader();
    EXPECT_EQ(lumo::registry::readValue(lumo::registry::Root::LocalMachine,
                                        EngineSettings::kRegistryKey, "CardDump"),
              std::string());
    EXPECT_TRUE(cardOnReader().empty());
    EXPECT_FALSE(engine.CardRequest(0, 0, 0x52, 0, info, serial));
}

TEST_F(ReaderSlot, ControlCardOperationsWriteAndReadABlankCard) {
    FPEngine engine;
    const fs::path file = createBlankCard(dir() / "cards", randomCardUid());
    putCardOnReader(file);
    std::string reg;
    ASSERT_TRUE(engine.RegTemplateFromImageFile(print("fvc2002_db4_b", "103_1"), 0, reg));

    lumo::card::CardKey key = lumo::card::kFactoryCardKey;
    lumo::card::CardKey newKey{};
    std::vector<std::string> boxes;
    lumo::card::CardOperations ops(
        engine, key, newKey, [&] { return engine.StartEngine() == StartOk; },
        [&](const std::string& text) { boxes.push_back(text); });
    const Bytes blank = readFile(file);
    ASSERT_EQ(ops.WriteTemplateToCard(reg, 42, false, true), lumo::card::CardDone);
    EXPECT_NE(readFile(file), blank);
    std::string back;
    std::int32_t userId = 0;
    ASSERT_EQ(ops.ReadTemplateFromCard(back, userId, true), lumo::card::CardDone);
    EXPECT_EQ(userId, 42);
    EXPECT_FALSE(back.empty());
    EXPECT_EQ(ops.EmptyMFCard(true), lumo::card::CardDone);
    EXPECT_TRUE(boxes.empty());
}

// --- one window per feed folder ----------------------------------------------------------------

TEST_F(Folder, OneWindowPerFeedFolder) {
    const fs::path feed = dir() / "sensor" / "feed";
    EXPECT_EQ(scannerLockFile(feed), dir() / "sensor" / "feed.scanner-lock");
    {
        auto first = scannerLock(feed);
        EXPECT_TRUE(first.tryAcquire());  // makes the folder
        EXPECT_TRUE(first.isHeld());
        EXPECT_TRUE(first.tryAcquire());  // again: still ours
        auto second = scannerLock(feed);
        EXPECT_FALSE(second.tryAcquire());
        EXPECT_FALSE(second.isHeld());
        auto otherFeed = scannerLock(dir() / "sensor" / "feed2");
        EXPECT_TRUE(otherFeed.tryAcquire());
    }
    auto afterwards = scannerLock(feed);
    EXPECT_TRUE(afterwards.tryAcquire());
}
