#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "control/card/CardError.h"
#include "control/card/TemplateCipher.h"

namespace lumo::card {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes fromHex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

std::string messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const CardError& e) {
        return e.what();
    }
    return "(no error)";
}

// Vectors computed at test time by the openssl command line, which shares no code path with
// the cipher under test beyond libcrypto's AES itself.
class OpensslVectors : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("openssl version >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "the openssl command is not installed";
        }
        m_dir = std::filesystem::temp_directory_path() /
                ("cipher-vectors-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // AES-128-CBC, zero IV, no padding, over input whose length is a multiple of 16.
    Bytes openssl(const Bytes& input, const std::string& keyHex, bool decipher) {
        const auto in = m_dir / "in";
        const auto out = m_dir / "out";
        {
            std::ofstream file(in, std::ios::binary);
            file.write(reinterpret_cast<const char*>(input.data()),
                       static_cast<std::streamsize>(input.size()));
        }
        const std::string command = "openssl enc -aes-128-cbc " +
                                    std::string(decipher ? "-d " : "") + "-K " + keyHex +
                                    " -iv 00000000000000000000000000000000 -nopad -in " +
                                    in.string() + " -out " + out.string() + " 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream file(out, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), {});
    }

    static Bytes blankPadded(std::string_view text) {
        Bytes bytes = bytesOf(text);
        bytes.resize((bytes.size() + 15) / 16 * 16, ' ');
        return bytes;
    }

    std::filesystem::path m_dir;
};

TEST(TemplateCipherTest, Fips197AppendixC1) {
    // One block, so CBC with a zero IV is the bare cipher of FIPS-197 C.1.
    const Bytes plain = fromHex("00112233445566778899aabbccddeeff");
    const Bytes cipher =
        EncipherText(std::string(plain.begin(), plain.end()), "000102030405060708090a0b0c0d0e0f");
    EXPECT_EQ(cipher, fromHex("69c4e0d86a7b0430d8cdb78070b4c55a"));
}

TEST_F(OpensslVectors, EncipherMatchesTheCommandLine) {
    const std::string longText(100, 'T');
    struct Case {
        std::string plain;
        std::string key;     // as a host passes it
        std::string keyHex;  // what openssl is given
    } cases[] = {
        {"a", "000102030405060708090A0B0C0D0E0F", "000102030405060708090A0B0C0D0E0F"},
        {"fifteen chars!!", "2b7e151628aed2a6abf7158809cf4f3c", "2B7E151628AED2A6ABF7158809CF4F3C"},
        {"exactly 16 bytes", "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",
         "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
        {"seventeen bytes!!", "abc", "ABC00000000000000000000000000000"},
        {longText, "", "00000000000000000000000000000000"},
        {"AAAA/+base64==\r\n\xC3\xA9t\xC3\xA9", "12zz34", "12000000000000000000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain + " / " + c.key);
        const Bytes expected = openssl(blankPadded(c.plain), c.keyHex, false);
        const Bytes cipher = EncipherText(c.plain, NormalizeCipherKey(c.key));
        EXPECT_EQ(cipher, expected);
        EXPECT_EQ(Encrypt(c.plain, c.key), PercentEncode(expected));
    }
}

TEST_F(OpensslVectors, DecipherMatchesTheCommandLine) {
    const std::string plain = "  template text with blanks\tand a tab  ";
    const Bytes cipher = openssl(blankPadded(plain), "0F0E0D0C0B0A09080706050403020100", false);
    EXPECT_EQ(DecipherText(cipher, "0f0e0d0c0b0a09080706050403020100"),
              "template text with blanks\tand a tab");
    EXPECT_EQ(openssl(cipher, "0F0E0D0C0B0A09080706050403020100", true), blankPadded(plain));
}

TEST(TemplateCipherTest, CipherLengths) {
    struct Case {
        std::size_t plain;
        std::size_t cipher;
    } cases[] = {{0, 0}, {1, 16}, {15, 16}, {16, 16}, {17, 32}, {32, 32}, {33, 48}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(EncipherText(std::string(c.plain, 'x'), "1234").size(), c.cipher);
    }
    EXPECT_EQ(Encrypt("", "1234"), "");
}

TEST(TemplateCipherTest, RoundTripLosesOnlyOuterBlanksAndControls) {
    struct Case {
        std::string plain;
        std::string back;
    } cases[] = {
        {"hello", "hello"},
        {"  hello world \t\r\n", "hello world"},
        {"\x01\x1F"
         "x"
         "\x7F",
         "x\x7F"},
        {"ends in blanks    ", "ends in blanks"},
        {std::string(16, 'q'), std::string(16, 'q')},
        {"\xC3\xA9l\xC3\xA8ve", "\xC3\xA9l\xC3\xA8ve"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(Decrypt(Encrypt(c.plain, "00112233"), "00112233"), c.back);
    }
}

TEST(TemplateCipherTest, WrongKeyIsNotDetected) {
    const std::string enciphered = Encrypt("secret template", "0011");
    std::string plain;
    EXPECT_NO_THROW(plain = Decrypt(enciphered, "0012"));
    EXPECT_NE(plain, "secret template");
}

TEST(TemplateCipherTest, KeyNormalisation) {
    const std::string zeros(32, '0');
    struct Case {
        const char* name;
        std::string key;
        std::string normalised;
    } cases[] = {
        {"empty", "", zeros},
        {"odd length", "1", "10" + zeros.substr(2)},
        {"odd length, three digits", "abc", "ABC0" + zeros.substr(4)},
        {"lower case", "0a1b2c3d4e5f", "0A1B2C3D4E5F" + zeros.substr(12)},
        {"mixed case", "aBcDeF", "ABCDEF" + zeros.substr(6)},
        {"bad pair keeps bytes before it", "12zz34", "12" + zeros.substr(2)},
        {"bad second digit", "1g", zeros},
        {"prefix is not hexadecimal", "0x12", zeros},
        {"sign is not hexadecimal", "+1", zeros},
        {"blank is not hexadecimal", " 1", zeros},
        {"full", "00112233445566778899AABBCCDDEEFF", "00112233445566778899AABBCCDDEEFF"},
        {"longer than 32", "00112233445566778899AABBCCDDEEFF1234",
         "00112233445566778899AABBCCDDEEFF"},
        {"odd and longer than 32", "00112233445566778899AABBCCDDEEFF1",
         "00112233445566778899AABBCCDDEEFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NormalizeCipherKey(c.key), c.normalised);
        EXPECT_EQ(NormalizeCipherKey(c.normalised), c.normalised);
    }
    EXPECT_EQ(Encrypt("same key", "abcdef"), Encrypt("same key", "ABCDEF"));
    EXPECT_EQ(Encrypt("same key", "ABC"), Encrypt("same key", "ABC0"));
}

TEST(TemplateCipherTest, PercentEncodeKeepsOnlyTheSafeCharacters) {
    const std::string kept = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789*-.@_";
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string encoded = PercentEncode({static_cast<std::uint8_t>(b)});
        if (kept.find(static_cast<char>(b)) != std::string::npos) {
            EXPECT_EQ(encoded, std::string(1, static_cast<char>(b)));
        } else {
            char expected[4];
            std::snprintf(expected, sizeof expected, "%%%02X", b);
            EXPECT_EQ(encoded, expected);
        }
        EXPECT_EQ(PercentDecode(encoded), Bytes{static_cast<std::uint8_t>(b)});
    }
    EXPECT_EQ(PercentEncode(bytesOf(" +/~")), "%20%2B%2F%7E");
}

TEST(TemplateCipherTest, PercentDecodeRules) {
    struct Case {
        std::string text;
        std::string bytes;
    } cases[] = {
        {"%41", "A"},
        {"%4a", "J"},
        {"%4A", "J"},
        {"%4", "%4"},
        {"%", "%"},
        {"a%", "a%"},
        {"%zz", "%zz"},
        {"%4g", "%4g"},
        {"%%41", "%A"},
        {"+", "+"},
        {"a+b", "a+b"},
        {"%20%2b", " +"},
        {"%00", std::string(1, '\0')},
        {"x%41y%4", "xAy%4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PercentDecode(c.text), bytesOf(c.bytes));
    }
}

TEST(TemplateCipherTest, ErrorMessages) {
    EXPECT_EQ(messageOf([] { Decrypt("", "00"); }), "Wrong message length.");
    EXPECT_EQ(messageOf([] { Decrypt(std::string(20, 'A'), "00"); }), "Wrong message length.");
    // 20 characters that decode to 16 bytes are a whole block.
    EXPECT_EQ(messageOf([] { Decrypt("%41%41AAAAAAAAAAAAAA", "00"); }), "(no error)");
    EXPECT_EQ(messageOf([] { DecipherText(Bytes(31), "00"); }), "Wrong message length.");
}

}  // namespace
}  // namespace lumo::card
