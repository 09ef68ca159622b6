// lumoctl's statements against an in-process control over the scripted engine.
#include <gtest/gtest.h>

#include <sstream>

#include "control/core/VIZErevorMainImpl.h"
#include "platform/com/ComObject.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
#include "tests/control/core/ControlFixture.h"
#include "tools/lumoctl/ScriptRunner.h"
#include "tools/lumoctl/StderrMessageBoxes.h"

using lumo::lumoctl::formatValue;
using lumo::lumoctl::literalValue;
using lumo::lumoctl::parseStatement;
using lumo::lumoctl::ScriptRunner;
using lumo::lumoctl::StatementError;
using lumo::lumoctl::Word;

namespace {

class ScriptRunnerTest : public lumo::test::ControlFixture {
protected:
    // Runs the lines; stops at the first failure like lumoctl. Returns false on a failure.
    bool runLines(std::initializer_list<const char*> lines) {
        ScriptRunner runner(static_cast<ILumoMain*>(control.get()), out, err);
        for (const char* line : lines) {
            auto s = parseStatement(line);
            if (s && !runner.run(*s)) return false;
        }
        return true;
    }

    std::ostringstream out;
    std::ostringstream err;
};

}  // namespace

TEST_F(ScriptRunnerTest, PutsAndResultlessCallsPrintNothingAndEveryOtherStatementOneLine) {
    engine->willReturn("LastTemplateAsText", std::string("TPL-1"));
    engine->willReturn("TextToTemplate", std::vector<std::uint8_t>{0x0A, 0xFF, 0x00});
    ASSERT_TRUE(runLines({
        "put VerifyCount 7",
        "get VerifyCount",
        "put CheckFinger 0100000000",  // a string parameter keeps its zero
        "get CheckFinger",
        "get RegisterTemplate",  // empty string: an empty line
        "get IsAutoRegister",
        "put IsAutoRegister true",
        "get IsAutoRegister",
        "put SetVerHint \"Press your finger\"",
        "get SetVerHint",
        "call GetTemplateString",
        "call DecodeTemplate TPL",
        "call FreeBuffer 3",  // no result, no line
        "call SetFPEngineVersion 10",
    }));
    EXPECT_EQ(out.str(), "7\n0100000000\n\nfalse\ntrue\nPress your finger\nTPL-1\nhex:0aff00\n0\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(ScriptRunnerTest, ByteArraysGoInAsHex) {
    engine->willReturn("TemplateToText", std::string("FROM-BYTES"));
    ASSERT_TRUE(runLines({"call EncodeTemplate hex:00A1ff"}));
    EXPECT_EQ(out.str(), "FROM-BYTES\n");
    EXPECT_EQ(engine->calls(), (std::vector<std::string>{"TemplateToText(00a1ff)"}));
}

TEST_F(ScriptRunnerTest, FailuresPrintTheStatusAndDescriptionAndStop) {
    struct Case {
        const char* line;
        std::string err;
    };
    const Case cases[] = {
        {"get NoSuchThing", "error 0x80020006: Unknown name: NoSuchThing\n"},
        {"call Register", "error 0x8000FFFF: sensor gone\n"},
        {"put VerifyCount abc", "error 0x80020005: Type mismatch in argument 1 of VerifyCount\n"},
        {"call AddImageFile", "error 0x8002000F: Missing argument for AddImageFile\n"},
        {"call FreeBuffer 1 2", "error 0x8002000E: Wrong number of arguments for FreeBuffer\n"},
        {"get FreeBuffer", "error 0x80020003: Not a readable property: FreeBuffer\n"},
        {"put FingerIndex 3", "error 0x80020003: Not a writable property: FingerIndex\n"},
    };
    // Register fails before its dialog opens: the engine cannot say whether it runs.
    engine->alwaysThrow("Active", "sensor gone");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        out.str("");
        err.str("");
        EXPECT_FALSE(runLines({c.line, "get VerifyCount"}));
        EXPECT_EQ(err.str(), c.err);
        EXPECT_EQ(out.str(), "");  // the statement after the failure did not run
    }
}

TEST_F(ScriptRunnerTest, EngineErrorsArriveWithTheirMessage) {
    engine->willThrow("CompressTemplateText", "Template is damaged");
    EXPECT_FALSE(runLines({"call CompressTemplate xyz"}));
    EXPECT_EQ(err.str(), "error 0x8000FFFF: Template is damaged\n");
}

TEST_F(ScriptRunnerTest, MessageBoxesAreWrittenToTheErrorStreamAndAnswered) {
    std::ostringstream boxesOut;
    auto handler = lumo::com::makeObject<lumo::lumoctl::StderrMessageBoxes>(boxesOut, true);
    ASSERT_EQ(control->SetMessageBoxHandler(handler.get()), S_OK);
    engine->setAnswer("StartEngine", 2);
    ASSERT_TRUE(runLines({"call AddImageFile f.png 500"}));
    EXPECT_EQ(out.str(), "false\n");
    EXPECT_EQ(boxesOut.str(), "box: Not connect with sensor!\n");
    EXPECT_TRUE(boxes->boxes().empty());  // the handler replaced the test's presenter
}

TEST(LumoctlValueTest, WordsAreReadByTheirForm) {
    struct Case {
        Word word;
        VARTYPE vt;
        std::string printed;
    };
    const Case cases[] = {
        {{"42"}, VT_I4, "42"},
        {{"-7"}, VT_I4, "-7"},
        {{"+7"}, VT_I4, "7"},
        {{"2147483648"}, VT_BSTR, "2147483648"},  // too big for 32 bits: left as text
        {{"true"}, VT_BOOL, "true"},
        {{"false"}, VT_BOOL, "false"},
        {{"True"}, VT_BSTR, "True"},
        {{"42", true}, VT_BSTR, "42"},
        {{"hex:"}, VT_ARRAY | VT_UI1, "hex:"},
        {{"hex:DEad"}, VT_ARRAY | VT_UI1, "hex:dead"},
        {{"some text"}, VT_BSTR, "some text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word.text);
        VARIANT v = literalValue(c.word);
        EXPECT_EQ(V_VT(&v), c.vt);
        EXPECT_EQ(formatValue(v), c.printed);
        VariantClear(&v);
    }
    for (const char* bad : {"hex:1", "hex:zz", "hex:0g"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(literalValue(Word{bad}), StatementError);
    }
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(formatValue(empty), "");
}

namespace {

// A dispatch object with one member of in/out parameters, under the DISPID the control's
// member table gives it (ReadTemplateFromCard): it fills both and answers 0.
class InOutControl final : public lumo::com::ComObject<InOutControl, IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* id) override {
        if (std::u16string_view(names[0]) != u"ReadTemplateFromCard") return DISP_E_UNKNOWNNAME;
        *id = 0xE9;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (p->cArgs != 3) return DISP_E_BADPARAMCOUNT;
        // Reversed: [2] ARegTemplate, [1] iUserID, [0] bExtUserIDFmt.
        EXPECT_EQ(p->rgvarg[2].vt, VT_BYREF | VT_BSTR);
        EXPECT_EQ(p->rgvarg[1].vt, VT_BYREF | VT_I4);
        seenTemplate = lumo::com::bstrToUtf8(*p->rgvarg[2].pbstrVal);
        seenUserId = *p->rgvarg[1].plVal;
        SysFreeString(*p->rgvarg[2].pbstrVal);
        *p->rgvarg[2].pbstrVal = lumo::com::allocBstr("CARD-TPL");
        *p->rgvarg[1].plVal = 1234;
        V_VT(result) = VT_I4;
        V_I4(result) = 0;
        return S_OK;
    }
    std::string seenTemplate;
    LONG seenUserId = 0;
};

}  // namespace

TEST(LumoctlInOutTest, InOutParametersPrintOneLineEachAfterTheResult) {
    auto control = lumo::com::makeObject<InOutControl>();
    std::ostringstream out;
    std::ostringstream err;
    ScriptRunner runner(control.get(), out, err);
    ASSERT_TRUE(runner.run(*parseStatement("call ReadTemplateFromCard \"old\" 5 true")));
    EXPECT_EQ(out.str(), "0\nARegTemplate=CARD-TPL\niUserID=1234\n");
    EXPECT_EQ(control->seenTemplate, "old");
    EXPECT_EQ(control->seenUserId, 5);
    EXPECT_EQ(err.str(), "");
}
