#include <gtest/gtest.h>

#include "tools/lumoctl/Statement.h"

using lumo::lumoctl::parseStatement;
using lumo::lumoctl::splitWords;
using lumo::lumoctl::StatementError;
using lumo::lumoctl::Verb;
using lumo::lumoctl::Word;

TEST(StatementTest, WordsAreSplitAtBlanksAndQuotesHoldBlanks) {
    struct Case {
        const char* line;
        std::vector<Word> words;
    };
    const Case cases[] = {
        {"call  AddImageFile\tf.png 500", {{"call"}, {"AddImageFile"}, {"f.png"}, {"500"}}},
        {R"(put Caption "two words")", {{"put"}, {"Caption"}, {"two words", true}}},
        {R"(put X "say \"hi\"")", {{"put"}, {"X"}, {R"(say "hi")", true}}},
        {R"(put X "a\\b")", {{"put"}, {"X"}, {R"(a\b)", true}}},
        {R"(put X "a\nb")", {{"put"}, {"X"}, {R"(a\nb)", true}}},  // only \" and \\ escape
        {R"(put X a\"b)", {{"put"}, {"X"}, {R"(a\"b)"}}},          // no escapes outside quotes
        {R"(put X "")", {{"put"}, {"X"}, {"", true}}},
        {"put X 12\r", {{"put"}, {"X"}, {"12"}}},
        {R"(put X "123")", {{"put"}, {"X"}, {"123", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(splitWords(c.line), c.words);
    }
}

TEST(StatementTest, BlankAndCommentLinesAreSkipped) {
    for (const char* line : {"", "   ", "\t", "# comment", "   # indented comment"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(parseStatement(line).has_value());
    }
}

TEST(StatementTest, StatementsHaveTheirVerbNameAndArguments) {
    auto get = parseStatement("get VerifyCount");
    ASSERT_TRUE(get);
    EXPECT_EQ(get->verb, Verb::Get);
    EXPECT_EQ(get->name, "VerifyCount");
    EXPECT_TRUE(get->arguments.empty());

    auto put = parseStatement(R"(put SetVerHint "Press now")");
    ASSERT_TRUE(put);
    EXPECT_EQ(put->verb, Verb::Put);
    EXPECT_EQ(put->arguments, (std::vector<Word>{{"Press now", true}}));

    auto call = parseStatement("call CreateBuffer");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->verb, Verb::Call);
    EXPECT_TRUE(call->arguments.empty());
}

TEST(StatementTest, MalformedStatementsAreRejectedWithAReason) {
    struct Case {
        const char* line;
        const char* reason;
    };
    const Case cases[] = {
        {R"(put X "open)", "closing quote"},
        {R"(put X "a"b)", "blank must follow"},
        {"set X 1", "unknown statement"},
        {R"("get" X)", "starts with"},
        {"get", "member name"},
        {"call", "member name"},
        {"get X 1", "only a member name"},
        {"put X", "one value"},
        {"put X 1 2", "one value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        try {
            parseStatement(c.line);
            ADD_FAILURE() << "accepted";
        } catch (const StatementError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}
