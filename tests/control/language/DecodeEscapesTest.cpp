#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "control/language/IniLang.h"
#include "control/language/LanguageError.h"

namespace lumo::language {
namespace {

struct EscapeCase {
    std::string_view input;
    std::string_view expected;
};

TEST(DecodeEscapes, Table) {
    using namespace std::string_view_literals;
    const EscapeCase cases[] = {
        {"plain text", "plain text"},
        {"", ""},
        {"a\\tb", "a\tb"},
        {"\\a\\b\\f\\n\\r\\t\\v", "\a\b\f\n\r\t\v"},
        {"\\\"\\'\\?\\\\", "\"'?\\"},
        {"\\x41", "A"},
        {"\\x4a\\x4A", "JJ"},
        {"\\x414", "A4"},    // two hex digits at most
        {"\\x4G", "\x04G"},  // one hex digit is enough
        {"\\101", "A"},
        {"\\1014", "A4"},  // three octal digits at most
        {"\\18",
         "\x01"
         "8"},  // 8 is no octal digit
        {"\\0", "\0"sv},
        {"\\377", "\xFF"},
        {"\\q", "\\q"},  // unknown escapes stay as written
        {"\\N", "\\N"},
        {"\\xZZ", "\\xZZ"},  // \x without digits stays, scanning goes on after the x
        {"\\x\\n", "\\x\n"},
        {"end\\x", "end\\x"},                 // \x as the last characters
        {"end\\", "end\\"},                   // a final backslash is kept
        {"\\\\n", "\\n"},                     // an escaped backslash does not start another escape
        {"\\xE5\\xAE\\x8B", "\xE5\xAE\x8B"},  // bytes of a UTF-8 character
        {"caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(std::string(c.input));
        EXPECT_EQ(decodeEscapes(c.input), std::string(c.expected));
    }
}

TEST(DecodeEscapes, OctalAbove255IsAnError) {
    for (std::string_view input : {"\\400", "x\\777y", "\\4000"}) {
        SCOPED_TRACE(std::string(input));
        try {
            decodeEscapes(input);
            FAIL() << "no error";
        } catch (const LanguageError& error) {
            EXPECT_STREQ(error.what(), "Numeric constant too large.");
        }
    }
}

TEST(DecodeEscapes, BinaryInputNeverFails) {
    std::string input;
    for (int i = 0; i < 256; ++i) {
        input += static_cast<char>(i);
        input += '\\';
        input += static_cast<char>(255 - i);
    }
    // Only octal escapes can fail; the digits 4 to 7 after a backslash start values above 255
    // only with three digits, which this input never has in a row.
    EXPECT_NO_THROW(decodeEscapes(input));
}

}  // namespace
}  // namespace lumo::language
