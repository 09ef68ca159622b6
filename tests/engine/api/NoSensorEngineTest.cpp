#include <gtest/gtest.h>

#include <functional>

#include "engine/EngineError.h"
#include "engine/NoSensorEngine.h"
#include "tests/support/engine/ScriptedEngine.h"

using lumo::engine::EngineError;
using lumo::engine::NoSensorEngine;
using lumo::engine::TemplateValue;

TEST(NoSensorEngineTest, ReportsNoSensorAndStaysInactive) {
    NoSensorEngine engine;
    EXPECT_EQ(engine.StartEngine(), 2);
    EXPECT_FALSE(engine.Active());
    EXPECT_EQ(engine.EnrollCount(), 3);
    EXPECT_EQ(engine.OneToOneThreshold(), 10);
    engine.setEnrollCount(4);
    engine.setFPEngineVersion("10");
    EXPECT_EQ(engine.EnrollCount(), 4);
    EXPECT_EQ(engine.FPEngineVersion(), "10");
}

TEST(NoSensorEngineTest, TemplateOperationsRaiseInsteadOfInventingTemplates) {
    NoSensorEngine engine;
    std::string text;
    bool changed = false;
    int a = 0, b = 0;
    TemplateValue value;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"LastTemplateAsText", [&] { engine.LastTemplateAsText(); }},
        {"LastTemplateValue", [&] { engine.LastTemplateValue(); }},
        {"TextToTemplate", [&] { engine.TextToTemplate("x"); }},
        {"CompressTemplateText", [&] { engine.CompressTemplateText("x"); }},
        {"TemplateToText",
         [&] {
             engine.TemplateToText({1, 2});
         }},
        {"MatchTemplateStrings", [&] { engine.MatchTemplateStrings(text, "y", false, changed); }},
        {"RegTemplateFromImageFile", [&] { engine.RegTemplateFromImageFile("f", 500, text); }},
        {"VerTemplateFromImageFile", [&] { engine.VerTemplateFromImageFile("f", 500, text); }},
        {"CreateFPCacheDB", [&] { engine.CreateFPCacheDB(); }},
        {"IdentificationFromStrInFPCacheDB",
         [&] { engine.IdentificationFromStrInFPCacheDB(1, "t", a, b); }},
        {"TextToCardTemplate", [&] { engine.TextToCardTemplate("t", value); }},
        {"SaveImageAsBitmap", [&] { engine.SaveImageAsBitmap("x.bmp"); }},
        {"SignalSensor", [&] { engine.SignalSensor(11, 1); }},
    };
    for (const auto& [name, call] : cases) {
        SCOPED_TRACE(name);
        EXPECT_THROW(call(), EngineError);
    }
    EXPECT_TRUE(text.empty());
}

TEST(NoSensorEngineTest, HasNoCardModule) {
    NoSensorEngine engine;
    std::vector<std::uint8_t> buffer(128, 0);
    EXPECT_FALSE(engine.QueryCardModule(0, 0, buffer));
}

TEST(ScriptedEngineTest, HandlerMayDisconnectItselfWhileRunning) {
    lumo::test::ScriptedEngine engine;
    int calls = 0;
    engine.OnEnroll = [&](bool success, const TemplateValue& value) {
        ++calls;
        engine.OnEnroll = nullptr;  // destroys the stored handler while it runs
        EXPECT_TRUE(success);
        EXPECT_EQ(value.size(), 2u);
    };
    engine.fireEnroll(true, {1, 2});
    engine.fireEnroll(true, {1, 2});
    EXPECT_EQ(calls, 1);
}

TEST(ScriptedEngineTest, RecordsCallsAndAnswersFromScript) {
    lumo::test::ScriptedEngine engine;
    engine.willReturn("StartEngine", 2);
    engine.willThrow("StopEngine", "broken");
    EXPECT_FALSE(engine.Active());
    EXPECT_EQ(engine.StartEngine(), 2);
    EXPECT_THROW(engine.StopEngine(), EngineError);
    engine.StopEngine();
    EXPECT_EQ(engine.StartEngine(), 0);
    EXPECT_TRUE(engine.active);
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"Active", "StartEngine()", "StopEngine()",
                                                        "StopEngine()", "StartEngine()"}));
}
