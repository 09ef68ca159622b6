// The engine's card operations over the simulated reader: the card is a dump file, checked
// byte for byte after every operation.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "RuntimeTestSupport.h"
#include "engine/card/SimulatedCard.h"

using namespace lumo::engine;
using namespace lumo::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

const CardKey kFactoryKey = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const CardKey kDigitKey = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36};

Bytes readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Access bytes for the conditions (C1 C2 C3 as a 3-bit number) of the four blocks of a sector.
std::array<std::uint8_t, 3> accessBytes(int b0, int b1, int b2, int trailer) {
    const int c[4] = {b0, b1, b2, trailer};
    int c1 = 0, c2 = 0, c3 = 0;
    for (int i = 0; i < 4; ++i) {
        c1 |= ((c[i] >> 2) & 1) << i;
        c2 |= ((c[i] >> 1) & 1) << i;
        c3 |= (c[i] & 1) << i;
    }
    return {static_cast<std::uint8_t>((~c2 & 0xF) << 4 | (~c1 & 0xF)),
            static_cast<std::uint8_t>(c1 << 4 | (~c3 & 0xF)),
            static_cast<std::uint8_t>(c3 << 4 | c2)};
}

Bytes trailer(const CardKey& keyA, std::array<std::uint8_t, 3> access, const CardKey& keyB) {
    Bytes t(keyA.begin(), keyA.end());
    t.insert(t.end(), access.begin(), access.end());
    t.push_back(0x69);
    t.insert(t.end(), keyB.begin(), keyB.end());
    return t;
}

Bytes pattern(int blocks, std::uint8_t seed) {
    Bytes b(static_cast<std::size_t>(blocks) * 16);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

class CardModule : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApplication();
        dumpFile = temp / "card.mfd";
        settings.cardDump = dumpFile.string();
        writeFile(dumpFile, SimulatedCard().dump());
    }
    int write(int first, const Bytes& data, const CardKey& key = kFactoryKey,
              std::uint8_t mode = 0) {
        return engine.WriteCardBlocks(0, 0, mode, static_cast<std::uint8_t>(first),
                                      static_cast<std::uint8_t>(data.size() / 16), key, data);
    }
    int read(int first, int count, Bytes& out, const CardKey& key = kFactoryKey) {
        out.assign(static_cast<std::size_t>(count) * 16, 0xEE);
        return engine.ReadCardBlocks(0, 0, 0, static_cast<std::uint8_t>(first),
                                     static_cast<std::uint8_t>(count), key, out);
    }
    Bytes fileBlocks(int first, int count) {
        const Bytes all = readFile(dumpFile);
        return Bytes(all.begin() + first * 16, all.begin() + (first + count) * 16);
    }
    template <typename F>
    std::string errorOf(F f) {
        try {
            f();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no error)";
    }

    TempFolder temp;
    std::filesystem::path dumpFile;
    EngineSettings settings;
    FPEngine engine{[this] { return settings; }};
};

TEST_F(CardModule, ModuleAndCardAnswer) {
    Bytes module(128, 0), info(16, 0), serial(128, 0);
    EXPECT_TRUE(engine.QueryCardModule(0, 0, module));
    EXPECT_EQ(Bytes(module.begin() + 1, module.begin() + 9),
              Bytes({'L', 'U', 'M', 'O', 'S', 'I', 'M', '1'}));
    EXPECT_EQ(module[0], 0);
    EXPECT_TRUE(engine.CardRequest(0, 0, 0x26, 0, info, serial));
    EXPECT_EQ(Bytes(serial.begin(), serial.begin() + 5), Bytes({0x5A, 0x31, 0xC0, 0x07, 0}));
    const Bytes block0 = fileBlocks(0, 1);
    EXPECT_EQ(Bytes(info.begin(), info.begin() + 3), Bytes({block0[6], block0[7], block0[5]}));
    EXPECT_FALSE(engine.QueryCardModule(1, 0, module));  // only reader 0 exists
}

TEST_F(CardModule, NoCardNoModule) {
    Bytes module(128, 0), info(16, 0), serial(128, 0), out;
    for (const std::string& dump : {std::string(), (temp / "absent.mfd").string()}) {
        SCOPED_TRACE(dump);
        settings.cardDump = dump;
        EXPECT_TRUE(engine.QueryCardModule(0, 0, module));
        EXPECT_FALSE(engine.CardRequest(0, 0, 0x26, 0, info, serial));
        EXPECT_EQ(read(1, 2, out), 0);
        EXPECT_EQ(write(1, pattern(2, 1)), 0);
        EXPECT_FALSE(std::filesystem::exists(temp / "absent.mfd"));
    }
    settings.cardDump = dumpFile.string();
    settings.cardModule = "none";
    EXPECT_FALSE(engine.QueryCardModule(0, 0, module));
    EXPECT_FALSE(engine.CardRequest(0, 0, 0x26, 0, info, serial));
    EXPECT_EQ(read(1, 2, out), 0);
    settings.cardModule = "nfc-thing";
    EXPECT_NE(errorOf([&] { engine.QueryCardModule(0, 0, module); }).find("nfc-thing"),
              std::string::npos);
}

TEST_F(CardModule, WritesAndReadsBackByteForByte) {
    const Bytes before = readFile(dumpFile);
    const Bytes data = pattern(3, 9);
    EXPECT_EQ(write(4, data), 1);
    Bytes expected = before;
    std::copy(data.begin(), data.end(), expected.begin() + 64);
    EXPECT_EQ(readFile(dumpFile), expected);
    Bytes back;
    EXPECT_EQ(read(4, 3, back), 1);
    EXPECT_EQ(back, data);
    // Nothing but the dump is left in its folder, and its permissions stay.
    ::chmod(dumpFile.c_str(), 0640);
    EXPECT_EQ(write(1, pattern(2, 3)), 1);
    struct stat st {};
    ASSERT_EQ(::stat(dumpFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
}

TEST_F(CardModule, ChangesKeysAndEmptiesTheCard) {
    EXPECT_EQ(write(4, pattern(3, 5)), 1);
    // New key A for sector 1, transport access bits.
    const Bytes newTrailer = trailer(kDigitKey, {0xFF, 0x07, 0x80}, kFactoryKey);
    EXPECT_EQ(write(7, newTrailer), 1);
    EXPECT_EQ(fileBlocks(7, 1), newTrailer);
    Bytes out;
    EXPECT_EQ(read(4, 3, out), 0);  // the old key no longer opens it
    EXPECT_EQ(read(4, 3, out, kDigitKey), 1);
    EXPECT_EQ(out, pattern(3, 5));
    EXPECT_EQ(read(1, 2, out), 1);  // other sectors keep the factory key
    // Empty it again and give the factory key back.
    EXPECT_EQ(write(4, Bytes(48, 0), kDigitKey), 1);
    const Bytes factoryTrailer = trailer(kFactoryKey, {0xFF, 0x07, 0x80}, kFactoryKey);
    EXPECT_EQ(write(7, factoryTrailer, kDigitKey), 1);
    EXPECT_EQ(readFile(dumpFile), SimulatedCard().dump());
}

TEST_F(CardModule, RefusedTransfersChangeNothing) {
    // Sector 2 read-only data, sector 3 keys locked for good, as a card issuer would leave them.
    Bytes card = readFile(dumpFile);
    const Bytes readOnly = trailer(kFactoryKey, accessBytes(2, 2, 2, 1), kFactoryKey);
    const Bytes locked = trailer(kFactoryKey, accessBytes(0, 0, 0, 7), kFactoryKey);
    std::copy(readOnly.begin(), readOnly.end(), card.begin() + 11 * 16);
    std::copy(locked.begin(), locked.end(), card.begin() + 15 * 16);
    writeFile(dumpFile, card);

    const struct {
        const char* name;
        int first;
        int count;
        CardKey key;
    } cases[] = {
        {"wrong key", 4, 3, kDigitKey},
        {"block 0", 0, 1, kFactoryKey},
        {"block 0 within a run", 0, 3, kFactoryKey},
        {"read-only sector", 8, 1, kFactoryKey},
        {"run into a read-only sector", 6, 3, kFactoryKey},
        {"locked trailer", 15, 1, kFactoryKey},
        {"past the last block", 62, 3, kFactoryKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes data = c.first == 15 ? trailer(kDigitKey, {0xFF, 0x07, 0x80}, kFactoryKey)
                                         : pattern(c.count, 1);
        EXPECT_EQ(write(c.first, data, c.key), 0);
        EXPECT_EQ(readFile(dumpFile), card);
    }
    Bytes out;
    EXPECT_EQ(read(8, 3, out), 1);  // read-only still reads
    EXPECT_EQ(read(12, 3, out), 1);
    EXPECT_EQ(write(12, pattern(3, 4)), 1);  // the locked sector's data stay writable
    EXPECT_EQ(read(4, 3, out, kDigitKey), 0);
    EXPECT_EQ(out, Bytes(48, 0xEE)) << "a refused read leaves the buffer alone";
}

TEST_F(CardModule, OldFourKilobyteDumpsKeepTheirTail) {
    Bytes card = SimulatedCard().dump();
    const Bytes tail = pattern(192, 77);
    card.insert(card.end(), tail.begin(), tail.end());
    writeFile(dumpFile, card);
    EXPECT_EQ(write(1, pattern(2, 8)), 1);
    const Bytes after = readFile(dumpFile);
    ASSERT_EQ(after.size(), 4096u);
    EXPECT_EQ(Bytes(after.begin() + 1024, after.end()), tail);
    EXPECT_EQ(Bytes(after.begin() + 16, after.begin() + 48), pattern(2, 8));
}

TEST_F(CardModule, MalformedDumpsGiveClearErrors) {
    std::filesystem::create_directory(temp / "folder.mfd");
    const struct {
        const char* name;
        std::filesystem::path file;
        Bytes content;
        const char* says;
    } cases[] = {
        {"short", temp / "short.mfd", Bytes(500, 0), "holds 500 bytes"},
        {"empty", temp / "empty.mfd", Bytes(), "holds 0 bytes"},
        {"too long", temp / "long.mfd", Bytes(5000, 0), "longer than 4096"},
        {"folder", temp / "folder.mfd", Bytes(), "is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) != "folder") writeFile(c.file, c.content);
        settings.cardDump = c.file.string();
        Bytes info(16, 0), serial(128, 0), out;
        const std::vector<std::string> errors = {
            errorOf([&] { engine.CardRequest(0, 0, 0x26, 0, info, serial); }),
            errorOf([&] { read(1, 2, out); }),
            errorOf([&] { write(1, pattern(2, 1)); }),
        };
        for (const std::string& e : errors) {
            EXPECT_NE(e.find(c.says), std::string::npos) << e;
            EXPECT_NE(e.find(c.file.string()), std::string::npos) << e;
        }
        if (std::string(c.name) != "folder") EXPECT_EQ(readFile(c.file), c.content);
    }
}

TEST_F(CardModule, BadArgumentsGiveClearErrors) {
    Bytes small(10, 0), module(4, 0), info(2, 0), serial(128, 0);
    EXPECT_NE(errorOf([&] { engine.ReadCardBlocks(0, 0, 0, 1, 2, kFactoryKey, small); }).find("32"),
              std::string::npos);
    EXPECT_NE(
        errorOf([&] { engine.WriteCardBlocks(0, 0, 0, 1, 2, kFactoryKey, small); }).find("32"),
        std::string::npos);
    Bytes buffer(32, 0);
    EXPECT_NE(errorOf([&] {
                  engine.ReadCardBlocks(0, 0, 2, 1, 2, kFactoryKey, buffer);
              }).find("key mode 2"),
              std::string::npos);
    EXPECT_THROW(engine.QueryCardModule(0, 0, module), EngineError);
    EXPECT_THROW(engine.CardRequest(0, 0, 0x26, 0, info, serial), EngineError);
    EXPECT_EQ(readFile(dumpFile), SimulatedCard().dump());
}

TEST_F(CardModule, KeyBOpensWhereTheAccessBitsAllowIt) {
    // Sector 1 with data read/write by key B only after key A or B (condition 100 = read A|B,
    // write B) and a trailer whose key B is not readable (011).
    Bytes card = readFile(dumpFile);
    const Bytes t = trailer(kFactoryKey, accessBytes(4, 4, 4, 3), kDigitKey);
    std::copy(t.begin(), t.end(), card.begin() + 7 * 16);
    writeFile(dumpFile, card);
    EXPECT_EQ(write(4, pattern(1, 2), kFactoryKey, 0), 0);  // key A may not write
    EXPECT_EQ(write(4, pattern(1, 2), kDigitKey, 1), 1);    // key B may
    EXPECT_EQ(fileBlocks(4, 1), pattern(1, 2));
}

}  // namespace
