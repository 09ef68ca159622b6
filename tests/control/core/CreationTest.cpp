#include "ControlFixture.h"
#include "control/core/FingerTemplateTables.h"
#include "platform/com/ComError.h"

using lumo::com::Bstr;
using lumo::com::ComPtr;
using lumo::control::TLumoMain;
using lumo::test::ScriptedEngine;

namespace {

struct Fresh {
    std::shared_ptr<ScriptedEngine> engine = std::make_shared<ScriptedEngine>();
    ComPtr<TLumoMain> control;
    Fresh() {
        lumo::test::ensureApplication();
        control = lumo::com::makeObject<TLumoMain>(engine);
    }
};

std::string str(BSTR b) { return Bstr::attach(b).toUtf8(); }

}  // namespace

TEST(CreationTest, FreshControlHasItsDefaults) {
    Fresh f;
    ILumoMain* c = f.control.get();
    LONG n = -1;
    VARIANT_BOOL b = VARIANT_TRUE;
    BSTR s = nullptr;

    ASSERT_EQ(c->get_VerifyCount(&n), S_OK);
    EXPECT_EQ(n, 3);
    ASSERT_EQ(c->get_CheckFinger(&s), S_OK);
    EXPECT_EQ(str(s), "0000000000");
    ASSERT_EQ(c->get_DefaultRegFinger(&n), S_OK);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(c->get_DefaultWindowClose(&n), S_OK);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(c->get_IsAutoRegister(&b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    ASSERT_EQ(c->get_FingerIndex(&n), S_OK);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(c->get_RegisterTemplate(&s), S_OK);
    EXPECT_EQ(str(s), "");
    ASSERT_EQ(c->get_VerifyTemplate(&s), S_OK);
    EXPECT_EQ(str(s), "");
    ASSERT_EQ(c->get_SetVerHint(&s), S_OK);
    EXPECT_EQ(str(s), "");
    ASSERT_EQ(c->get_EnrollCount(&n), S_OK);
    EXPECT_EQ(n, 4);
    ASSERT_EQ(c->get_OneToOneThreshold(&n), S_OK);
    EXPECT_EQ(n, 10);
    EXPECT_EQ(f.engine->version, "9");
    ASSERT_EQ(c->get_Caption(&s), S_OK);
    EXPECT_EQ(str(s), "LUMO 3.0.0");

    lumo::engine::CardKey ff;
    ff.fill(0xFF);
    EXPECT_EQ(f.control->cardKey(), ff);
    EXPECT_EQ(f.control->newCardKey(), lumo::engine::CardKey{});
    ASSERT_FALSE(f.control->systemDirectory().empty());
    EXPECT_EQ(f.control->systemDirectory().back(), '/');
}

TEST(CreationTest, CreationSetsEngineSettingsAndStartsNothing) {
    Fresh f;
    EXPECT_EQ(f.engine->calls(),
              (std::vector<std::string>{"setEnrollCount(4)", "setFPEngineVersion(9)"}));
    EXPECT_FALSE(f.engine->active);
}

TEST(CreationTest, AnEngineErrorDuringCreationIsShownAndTheControlStillComesUp) {
    lumo::test::ensureApplication();
    auto engine = std::make_shared<ScriptedEngine>();
    engine->willThrow("setEnrollCount", "engine busy");
    auto boxes = std::make_shared<lumo::test::RecordingPresenter>();
    auto control = lumo::com::makeObject<TLumoMain>(engine, boxes);
    EXPECT_EQ(boxes->texts(), (std::vector<std::string>{"engine busy"}));
    BSTR s = nullptr;
    ASSERT_EQ(control->get_CheckFinger(&s), S_OK);
    EXPECT_EQ(str(s), "0000000000");
    EXPECT_FALSE(engine->active);
}

TEST(CreationTest, ControlWithoutSinkHasNoEventConnection) {
    Fresh f;
    EXPECT_FALSE(f.control->hasEventSink());
}

// CTest runs every case in a process of its own, where no other case has made the application.
TEST(CreationWithoutApplicationTest, ControlNeedsTheHostsApplicationAndMakesNoneItself) {
    if (QApplication::instance())
        GTEST_SKIP() << "another test of this process created the application";
    auto engine = std::make_shared<ScriptedEngine>();
    try {
        lumo::com::makeObject<TLumoMain>(engine);
        ADD_FAILURE() << "created without an application";
    } catch (const lumo::com::ComError& e) {
        EXPECT_EQ(e.hresult(), E_UNEXPECTED);
        EXPECT_NE(std::string(e.what()).find("QApplication"), std::string::npos);
    }
    EXPECT_EQ(QApplication::instance(), nullptr);
    EXPECT_TRUE(engine->calls().empty());
}
