#include "engine/template/Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/template/Crc32.h"
#include "engine/template/TemplateError.h"

namespace lumo::engine {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

// Test vectors of RFC 4648, section 10.
TEST(Base64, Rfc4648Vectors)
{
    const struct {
        const char* plain;
        const char* encoded;
    } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(base64Encode(bytesOf(c.plain)), c.encoded);
        EXPECT_EQ(base64Decode(c.encoded), bytesOf(c.plain));
    }
}

TEST(Base64, AllByteValuesRoundTrip)
{
    std::vector<std::uint8_t> all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
    for (std::size_t n = 0; n <= all.size(); n += 37) {
        const std::vector<std::uint8_t> part(all.begin(), all.begin() + static_cast<long>(n));
        EXPECT_EQ(base64Decode(base64Encode(part)), part);
    }
}

TEST(Base64, WhiteSpaceIsIgnored)
{
    EXPECT_EQ(base64Decode("  Zm9v\r\nYmFy \t\n"), bytesOf("foobar"));
}

TEST(Base64, MalformedTextIsRejected)
{
    const char* cases[] = {
        "Zm9",       // length not a multiple of four
        "Zm9vY",     // same
        "Zm9v!mFy",  // character outside the alphabet
        "Zm=vYmFy",  // padding inside
        "Zg==Zg==",  // padding before the end
        "Z===",      // three padding characters
        "Zh==",      // unused bits set
        "Zm9=",      // unused bits set
        "Zm9v-_==",  // URL-safe alphabet is not the template alphabet
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_THROW(base64Decode(text), TemplateError);
    }
}

// The standard check value of CRC-32.
TEST(Crc32, CheckValue)
{
    EXPECT_EQ(crc32(bytesOf("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32(bytesOf("6789"), crc32(bytesOf("12345"))), 0xCBF43926u);
    EXPECT_EQ(crc32({}), 0u);
}

}  // namespace
}  // namespace lumo::engine
