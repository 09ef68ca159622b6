#include "ControlFixture.h"
#include "control/core/FingerTemplateTables.h"

using lumo::com::Bstr;
using lumo::control::fingerTemplateTables;

namespace {

class SimpleMembersTest : public lumo::test::ControlFixture {};

}  // namespace

TEST_F(SimpleMembersTest, StringPropertiesStoreAnyText) {
    struct Case {
        const char* name;
        HRESULT (ILumoMain::*put)(BSTR);
        HRESULT (ILumoMain::*get)(BSTR*);
    };
    const Case cases[] = {
        {"RegisterTemplate", &ILumoMain::put_RegisterTemplate, &ILumoMain::get_RegisterTemplate},
        {"VerifyTemplate", &ILumoMain::put_VerifyTemplate, &ILumoMain::get_VerifyTemplate},
        {"CheckFinger", &ILumoMain::put_CheckFinger, &ILumoMain::get_CheckFinger},
        {"SetVerHint", &ILumoMain::put_SetVerHint, &ILumoMain::get_SetVerHint},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* value : {"", "01", "  blanks kept  ", "Grüße \xE2\x9C\x93"}) {
            Bstr in(value);
            ASSERT_EQ((lumo()->*c.put)(in.get()), S_OK);
            BSTR out = nullptr;
            ASSERT_EQ((lumo()->*c.get)(&out), S_OK);
            EXPECT_EQ(text(out), value);
        }
    }
    EXPECT_TRUE(engine->calls().empty());
}

TEST_F(SimpleMembersTest, RangeCheckedPutsIgnoreValuesOutsideTheirRange) {
    struct Case {
        const char* name;
        HRESULT (ILumoMain::*put)(LONG);
        HRESULT (ILumoMain::*get)(LONG*);
        std::vector<std::pair<LONG, LONG>> putThenExpect;
    };
    const Case cases[] = {
        // A put of 0 cannot bring these two back to 0.
        {"DefaultRegFinger",
         &ILumoMain::put_DefaultRegFinger,
         &ILumoMain::get_DefaultRegFinger,
         {{0, 0}, {1, 1}, {10, 10}, {11, 10}, {0, 10}, {-1, 10}, {7, 7}}},
        {"DefaultWindowClose",
         &ILumoMain::put_DefaultWindowClose,
         &ILumoMain::get_DefaultWindowClose,
         {{0, 0}, {-5, 0}, {5, 5}, {0, 5}, {-1, 5}, {100000, 100000}}},
        {"EnrollCount",
         &ILumoMain::put_EnrollCount,
         &ILumoMain::get_EnrollCount,
         {{0, 4}, {5, 4}, {1, 1}, {4, 4}, {2, 2}, {-3, 2}}},
        {"VerifyCount",
         &ILumoMain::put_VerifyCount,
         &ILumoMain::get_VerifyCount,
         {{0, 0}, {-2, -2}, {7, 7}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto [in, expected] : c.putThenExpect) {
            SCOPED_TRACE(in);
            ASSERT_EQ((lumo()->*c.put)(in), S_OK);
            LONG out = -99;
            ASSERT_EQ((lumo()->*c.get)(&out), S_OK);
            EXPECT_EQ(out, expected);
        }
    }
}

TEST_F(SimpleMembersTest, EnrollCountIsTheEngines) {
    ASSERT_EQ(lumo()->put_EnrollCount(0), S_OK);
    ASSERT_EQ(lumo()->put_EnrollCount(2), S_OK);
    LONG n = 0;
    ASSERT_EQ(lumo()->get_EnrollCount(&n), S_OK);
    EXPECT_EQ(engine->calls(), (std::vector<std::string>{"setEnrollCount(2)", "EnrollCount"}));
    EXPECT_EQ(n, 2);
}

TEST_F(SimpleMembersTest, IsAutoRegisterIsTrueForAnyNonZeroValue) {
    for (VARIANT_BOOL v : {VARIANT_BOOL(-1), VARIANT_BOOL(1), VARIANT_BOOL(2), VARIANT_BOOL(0)}) {
        SCOPED_TRACE(v);
        ASSERT_EQ(lumo()->put_IsAutoRegister(v), S_OK);
        VARIANT_BOOL out = 5;
        ASSERT_EQ(lumo()->get_IsAutoRegister(&out), S_OK);
        EXPECT_EQ(out, v ? VARIANT_TRUE : VARIANT_FALSE);
    }
}

TEST_F(SimpleMembersTest, FingerTemplatesComeFromTheTablesForFingersOneToTen) {
    auto& tables = fingerTemplateTables();
    tables.clear();
    tables.registration[1] = "reg-2";
    tables.verification[1] = "ver-2";
    tables.registration[6] = "reg-7";
    tables.verification[6] = "ver-7";
    for (LONG finger : {-1, 0, 1, 2, 3, 7, 10, 11}) {
        SCOPED_TRACE(finger);
        BSTR reg = nullptr;
        BSTR ver = nullptr;
        ASSERT_EQ(lumo()->GetRegFingerTemplate(finger, &reg), S_OK);
        ASSERT_EQ(lumo()->GetVerFingerTemplate(finger, &ver), S_OK);
        const std::string expectedReg = finger == 2 ? "reg-2" : finger == 7 ? "reg-7" : "";
        const std::string expectedVer = finger == 2 ? "ver-2" : finger == 7 ? "ver-7" : "";
        EXPECT_EQ(text(reg), expectedReg);
        EXPECT_EQ(text(ver), expectedVer);
    }
    tables.clear();
}

TEST_F(SimpleMembersTest, GetTemplateStringPassesTheEnginesTextAndHidesItsErrors) {
    engine->willReturn("LastTemplateAsText", std::string("TPL"));
    BSTR s = nullptr;
    ASSERT_EQ(lumo()->GetTemplateString(&s), S_OK);
    EXPECT_EQ(text(s), "TPL");

    engine->willThrow("LastTemplateAsText", "no template");
    s = nullptr;
    ASSERT_EQ(lumo()->GetTemplateString(&s), S_OK);
    EXPECT_EQ(text(s), "");
    EXPECT_TRUE(boxes->boxes().empty());
    EXPECT_EQ(engine->calls(),
              (std::vector<std::string>{"LastTemplateAsText()", "LastTemplateAsText()"}));
}

TEST_F(SimpleMembersTest, DialogMembersReturnFalseWithoutADialogWhenTheEngineCannotStart) {
    struct Case {
        const char* name;
        HRESULT (ILumoMain::*call)(VARIANT_BOOL*);
    };
    for (const Case& c :
         {Case{"Register", &ILumoMain::Register}, Case{"GetVerTemplate", &ILumoMain::GetVerTemplate}}) {
        SCOPED_TRACE(c.name);
        boxes->clear();
        engine->willReturn("StartEngine", 2);
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ((lumo()->*c.call)(&result), S_OK);
        EXPECT_EQ(result, VARIANT_FALSE);
        EXPECT_EQ(boxes->texts(), (std::vector<std::string>{"Not connect with sensor!"}));
    }
    // Verify without a registration template shows nothing at all.
    boxes->clear();
    engine->clearCalls();
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(lumo()->Verify(&result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_TRUE(boxes->boxes().empty());
    EXPECT_TRUE(engine->calls().empty());
}
