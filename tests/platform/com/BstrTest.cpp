#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/Bstr.h"
#include "platform/com/Utf16.h"

using lumo::com::badFreeCount;
using lumo::com::Bstr;
using lumo::com::liveBstrCount;

namespace {

// Fails the test when the code under test leaves BSTRs behind or frees any twice.
class BstrTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_live = liveBstrCount();
        m_bad = badFreeCount();
    }
    void TearDown() override {
        EXPECT_EQ(liveBstrCount(), m_live) << "BSTRs leaked";
        EXPECT_EQ(badFreeCount(), m_bad + m_expectedBadFrees) << "unexpected bad frees";
    }
    long m_live = 0;
    long m_bad = 0;
    long m_expectedBadFrees = 0;
};

}  // namespace

TEST_F(BstrTest, LayoutHasByteLengthPrefixAndTerminator) {
    BSTR b = SysAllocString(u"abc");
    ASSERT_NE(b, nullptr);
    std::uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<char*>(b) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(SysStringByteLen(b), 6u);
    EXPECT_EQ(b[3], 0);
    SysFreeString(b);
}

TEST_F(BstrTest, NullIsTheEmptyString) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(lumo::com::bstrToUtf8(nullptr), "");
    Bstr empty;
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.toUtf8(), "");
}

TEST_F(BstrTest, EmbeddedNulsSurvive) {
    const char16_t text[] = {u'a', 0, u'b', 0};
    BSTR b = SysAllocStringLen(text, 3);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(lumo::com::bstrToUtf8(b), std::string("a\0b", 3));
    Bstr copy = Bstr::copyOf(b);
    EXPECT_EQ(copy.view(), std::u16string_view(text, 3));
    SysFreeString(b);

    Bstr fromUtf8(std::string_view("x\0y", 3));
    EXPECT_EQ(fromUtf8.length(), 3u);
    EXPECT_EQ(fromUtf8.toUtf8(), std::string("x\0y", 3));
}

TEST_F(BstrTest, Utf8RoundTrips) {
    const char* texts[] = {
        "",
        "Lumo 3.0.0",
        "Gr\xC3\xBC\xC3\x9F"
        "e",                             // Grüße
        "\xE6\x8C\x87\xE7\xBA\xB9",      // 指纹
        "\xF0\x9F\x91\x8D finger",       // astral: surrogate pair in UTF-16
        "\xEF\xBF\xBF\xF4\x8F\xBF\xBF",  // U+FFFF and U+10FFFF
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        Bstr b{std::string_view(text)};
        EXPECT_EQ(b.toUtf8(), text);
    }
    EXPECT_EQ(Bstr(std::string_view("\xF0\x9F\x91\x8D")).length(), 2u);
    EXPECT_EQ(Bstr(std::string_view("\xE6\x8C\x87")).length(), 1u);
}

TEST_F(BstrTest, InvalidUtf8BecomesReplacementCharacters) {
    struct Case {
        const char* name;
        std::string in;
        std::u16string out;
    };
    const Case cases[] = {
        {"stray continuation", "a\x80z", u"a\uFFFDz"},
        {"bad lead byte", "\xFF", u"\uFFFD"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"truncated at end", "ok\xE6\x8C", u"ok\uFFFD"},
        {"truncated then ASCII", "\xF0\x9F\x91x", u"\uFFFDx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(lumo::com::utf8ToUtf16(c.in), c.out);
    }
}

TEST_F(BstrTest, UnpairedSurrogatesBecomeReplacementCharacters) {
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(lumo::com::utf16ToUtf8(std::u16string_view(lone, 4)),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

TEST_F(BstrTest, CountersFollowAllocations) {
    const long before = liveBstrCount();
    BSTR a = SysAllocString(u"one");
    BSTR b = SysAllocStringLen(nullptr, 10);
    EXPECT_EQ(liveBstrCount(), before + 2);
    EXPECT_EQ(SysStringLen(b), 10u);
    EXPECT_EQ(b[0], 0);
    SysFreeString(a);
    SysFreeString(b);
    EXPECT_EQ(liveBstrCount(), before);
}

TEST_F(BstrTest, FreeingAForeignPointerIsReportedNotPerformed) {
    // Eight bytes of header room followed by characters that never came from SysAlloc*.
    alignas(8) char fake[32] = {};
    BSTR notABstr = reinterpret_cast<BSTR>(fake + 8);
    SysFreeString(notABstr);
    m_expectedBadFrees = 1;
}

TEST_F(BstrTest, ReAllocateFromInsideItself) {
    BSTR b = SysAllocString(u"fingerprint");
    ASSERT_TRUE(SysReAllocString(&b, b + 6));
    EXPECT_EQ(std::u16string(b), u"print");
    ASSERT_TRUE(SysReAllocStringLen(&b, b, 2));
    EXPECT_EQ(std::u16string(b), u"pr");
    ASSERT_TRUE(SysReAllocString(&b, nullptr));
    EXPECT_EQ(b, nullptr);
}

TEST_F(BstrTest, OwnerCopiesMovesAndHandsOut) {
    Bstr a(std::string_view("template"));
    Bstr b = a;
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(b.toUtf8(), "template");
    Bstr c = std::move(a);
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(c.toUtf8(), "template");
    b = c;
    b = std::move(c);
    EXPECT_EQ(b.toUtf8(), "template");

    // An out parameter filled by a callee, then adopted.
    BSTR out = b.copy();
    Bstr adopted = Bstr::attach(out);
    EXPECT_EQ(adopted.toUtf8(), "template");
    *adopted.out() = SysAllocString(u"replaced");
    EXPECT_EQ(adopted.toUtf8(), "replaced");
    SysFreeString(adopted.detach());
}

TEST_F(BstrTest, HugeLengthsFailCleanly) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFF0u), nullptr);
}

#if !defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer the second free is reported by the sanitizer itself.
TEST_F(BstrTest, DoubleFreeIsReportedNotPerformed) {
    BSTR b = SysAllocString(u"twice");
    SysFreeString(b);
    SysFreeString(b);
    m_expectedBadFrees = 1;
}
#endif
