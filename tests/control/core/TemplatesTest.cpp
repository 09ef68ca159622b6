// Template conversion, one-to-one matching and the identification buffer.
#include "ControlFixture.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

using lumo::com::Bstr;
using Calls = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

namespace {

class TemplatesTest : public lumo::test::ControlFixture {};

Bytes bytesOf(VARIANT& v) {
    EXPECT_EQ(V_VT(&v), VT_ARRAY | VT_UI1);
    Bytes b = lumo::com::vectorFromByteArray(V_ARRAY(&v));
    LONG lower = -1;
    SafeArrayGetLBound(V_ARRAY(&v), 1, &lower);
    EXPECT_EQ(lower, 0);
    VariantClear(&v);
    return b;
}

}  // namespace

TEST_F(TemplatesTest, CompressAndDecodeReturnTheEnginesBytes) {
    struct Case {
        const char* name;
        HRESULT (ILumoMain::*call)(BSTR, VARIANT*);
        const char* op;
    };
    for (const Case& c :
         {Case{"CompressTemplate", &ILumoMain::CompressTemplate, "CompressTemplateText"},
          Case{"DecodeTemplate", &ILumoMain::DecodeTemplate, "TextToTemplate"}}) {
        SCOPED_TRACE(c.name);
        engine->clearCalls();
        engine->willReturn(c.op, Bytes{1, 2, 0, 255});
        Bstr in("TPL");
        VARIANT out;
        VariantInit(&out);
        ASSERT_EQ((lumo()->*c.call)(in.get(), &out), S_OK);
        EXPECT_EQ(bytesOf(out), (Bytes{1, 2, 0, 255}));
        EXPECT_EQ(engine->calls(), (Calls{std::string(c.op) + "(TPL)"}));

        // A template the engine rejects: failure, its message, and an empty value.
        engine->willThrow(c.op, "not a template");
        V_VT(&out) = VT_I4;  // whatever the caller had there is not freed, only replaced
        EXPECT_EQ((lumo()->*c.call)(in.get(), &out), E_UNEXPECTED);
        EXPECT_EQ(V_VT(&out), VT_EMPTY);
        EXPECT_EQ(lumo::com::takeErrorDescription(), "not a template");
    }
}

TEST_F(TemplatesTest, EncodeTemplateTakesByteArraysByValueOrByReference) {
    engine->setAnswer("TemplateToText", std::string("TEXT"));
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_ARRAY | VT_UI1;
    V_ARRAY(&value) = lumo::com::byteArrayFromVector({0xAB, 0x01});

    BSTR out = nullptr;
    ASSERT_EQ(lumo()->EncodeTemplate(value, &out), S_OK);
    EXPECT_EQ(text(out), "TEXT");

    VARIANT byRef;
    VariantInit(&byRef);
    V_VT(&byRef) = VT_BYREF | VT_VARIANT;
    byRef.pvarVal = &value;
    out = nullptr;
    ASSERT_EQ(lumo()->EncodeTemplate(byRef, &out), S_OK);
    EXPECT_EQ(text(out), "TEXT");
    EXPECT_EQ(engine->calls(), (Calls{"TemplateToText(ab01)", "TemplateToText(ab01)"}));

    // The caller's array is untouched.
    EXPECT_EQ(lumo::com::vectorFromByteArray(V_ARRAY(&value)), (Bytes{0xAB, 0x01}));
    VariantClear(&value);
}

TEST_F(TemplatesTest, EncodeTemplateRejectsWhatIsNoByteArray) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = 5;
    BSTR out = nullptr;
    EXPECT_EQ(lumo()->EncodeTemplate(value, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(lumo::com::takeErrorDescription().find("byte array"), std::string::npos);
    EXPECT_TRUE(engine->calls().empty());
}

TEST_F(TemplatesTest, MatchFingerPassesCopiesAndNeverChangesTheHostsStrings) {
    engine->learnedTemplate = "LEARNED";  // the engine rewrites its reference copy
    engine->matchChanged = true;
    engine->willReturn("MatchTemplateStrings", true);
    Bstr reg("REG");
    Bstr ver("VER");
    const BSTR regBefore = reg.get();
    VARIANT_BOOL result = VARIANT_FALSE;
    ASSERT_EQ(lumo()->MatchFinger(reg.get(), ver.get(), &result), S_OK);
    EXPECT_EQ(result, VARIANT_TRUE);
    EXPECT_EQ(reg.get(), regBefore);
    EXPECT_EQ(reg.toUtf8(), "REG");
    EXPECT_EQ(ver.toUtf8(), "VER");
    EXPECT_EQ(engine->calls(), (Calls{"MatchTemplateStrings(REG, VER, false)"}));
}

TEST_F(TemplatesTest, MatchFingerWithEmptyStringsGivesTheEnginesAnswerOrFalseAfterTheBox) {
    Bstr empty("");
    VARIANT_BOOL result = VARIANT_FALSE;
    engine->willReturn("MatchTemplateStrings", true);
    ASSERT_EQ(lumo()->MatchFinger(empty.get(), nullptr, &result), S_OK);
    EXPECT_EQ(result, VARIANT_TRUE);
    EXPECT_TRUE(boxes->boxes().empty());

    engine->willThrow("MatchTemplateStrings", "empty template");
    ASSERT_EQ(lumo()->MatchFinger(empty.get(), nullptr, &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_EQ(boxes->boxes()[0].text, "MatchFinger error. empty template");
    EXPECT_EQ(boxes->boxes()[0].icon, lumo::control::MessageIcon::Error);
}

TEST_F(TemplatesTest, OneToOneThresholdIsHandedToTheEngineUnchanged) {
    for (LONG value : {10, 0, -5, 1000000}) {
        SCOPED_TRACE(value);
        ASSERT_EQ(lumo()->put_OneToOneThreshold(value), S_OK);
        LONG out = 0;
        ASSERT_EQ(lumo()->get_OneToOneThreshold(&out), S_OK);
        EXPECT_EQ(out, value);
        EXPECT_EQ(engine->oneToOneThreshold, value);
    }
    engine->willThrow("setOneToOneThreshold", "busy");
    EXPECT_EQ(lumo()->put_OneToOneThreshold(3), E_UNEXPECTED);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "busy");
}

TEST_F(TemplatesTest, SetFPEngineVersionAcceptsOnlyNineAndTen) {
    struct Case {
        LONG version;
        LONG result;
        std::string engineVersion;
    };
    const Case cases[] = {{10, 0, "10"}, {8, 1, "10"}, {11, 1, "10"},
                          {9, 0, "9"},   {0, 1, "9"},  {-9, 1, "9"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        LONG result = -1;
        ASSERT_EQ(lumo()->SetFPEngineVersion(c.version, &result), S_OK);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(engine->version, c.engineVersion);
    }
    EXPECT_EQ(engine->calls(), (Calls{"setFPEngineVersion(10)", "setFPEngineVersion(9)"}));
}

namespace {

class BufferTest : public lumo::test::ControlFixture {};

struct BufferCase {
    const char* name;
    const char* op;      // engine operation
    const char* prefix;  // box text before the engine's message
    std::function<HRESULT(ILumoMain*, LONG*)> call;
    const char* expectedCall;
    bool hasResult;
};

std::vector<BufferCase> bufferCases() {
    return {
        {"CreateBuffer", "CreateFPCacheDB", "CreateFPCacheDB error. ",
         [](ILumoMain* c, LONG* r) { return c->CreateBuffer(r); }, "CreateFPCacheDB()", true},
        {"AddRegTemplateToBuffer", "AddRegTemplateStrToFPCacheDB",
         "AddRegTemplateStrToFPCacheDB error. ",
         [](ILumoMain* c, LONG* r) {
             Bstr t("T1");
             return c->AddRegTemplateToBuffer(7, 42, t.get(), r);
         },
         "AddRegTemplateStrToFPCacheDB(7, 42, T1)", true},
        {"RemoveRegTemplateFromBuffer", "RemoveTemplateFromFPCacheDB",
         "RemoveRegTemplateFromBuffer error. ",
         [](ILumoMain* c, LONG* r) { return c->RemoveRegTemplateFromBuffer(7, 42, r); },
         "RemoveTemplateFromFPCacheDB(7, 42)", true},
        {"IdentificationTemplateFromBuffer", "IdentificationFromStrInFPCacheDB",
         "IdentificationFromStrInFPCacheDB error. ",
         [](ILumoMain* c, LONG* r) {
             Bstr t("PROBE");
             return c->IdentificationTemplateFromBuffer(7, t.get(), r);
         },
         "IdentificationFromStrInFPCacheDB(7, PROBE)", true},
        {"FreeBuffer", "ReleaseFPCacheDB", "FreeBuffer error. ",
         [](ILumoMain* c, LONG*) { return c->FreeBuffer(7); }, "ReleaseFPCacheDB(7)", false},
    };
}

}  // namespace

TEST_F(BufferTest, MembersPassTheEnginesAnswerThrough) {
    engine->identScore = 55;
    engine->identRank = 1;
    for (const BufferCase& c : bufferCases()) {
        SCOPED_TRACE(c.name);
        engine->clearCalls();
        engine->willReturn(c.op, -3);  // any value the engine likes, "nothing matched" included
        LONG result = 99;
        ASSERT_EQ(c.call(lumo(), &result), S_OK);
        EXPECT_EQ(result, c.hasResult ? -3 : 99);
        EXPECT_EQ(engine->calls(), (Calls{c.expectedCall}));
    }
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(BufferTest, EngineErrorsShowTheMembersPrefixAndKeepTheCallersResult) {
    for (const BufferCase& c : bufferCases()) {
        SCOPED_TRACE(c.name);
        boxes->clear();
        engine->willThrow(c.op, "unknown handle");
        LONG result = 12345;
        ASSERT_EQ(c.call(lumo(), &result), S_OK);
        EXPECT_EQ(result, 12345);
        ASSERT_EQ(boxes->boxes().size(), 1u);
        EXPECT_EQ(boxes->boxes()[0].text, std::string(c.prefix) + "unknown handle");
        EXPECT_EQ(boxes->boxes()[0].icon, lumo::control::MessageIcon::Error);
    }
}

TEST_F(BufferTest, NoMemberStartsTheEngine) {
    LONG result = 0;
    for (const BufferCase& c : bufferCases()) c.call(lumo(), &result);
    EXPECT_TRUE(engine->callsNamed({"Active", "StartEngine"}).empty());
}

TEST_F(BufferTest, AHandleAfterFreeBufferReachesTheEngineUnchanged) {
    engine->willReturn("CreateFPCacheDB", 5);
    LONG handle = 0;
    ASSERT_EQ(lumo()->CreateBuffer(&handle), S_OK);
    ASSERT_EQ(lumo()->FreeBuffer(handle), S_OK);
    engine->willThrow("AddRegTemplateStrToFPCacheDB", "Invalid handle");
    LONG result = -99;
    ASSERT_EQ(lumo()->AddRegTemplateToBuffer(handle, 1, Bstr("T").get(), &result), S_OK);
    EXPECT_EQ(result, -99);
    EXPECT_EQ(engine->calls(), (Calls{"CreateFPCacheDB()", "ReleaseFPCacheDB(5)",
                                      "AddRegTemplateStrToFPCacheDB(5, 1, T)"}));
    EXPECT_EQ(boxes->texts(),
              (std::vector<std::string>{"AddRegTemplateStrToFPCacheDB error. Invalid handle"}));
}
