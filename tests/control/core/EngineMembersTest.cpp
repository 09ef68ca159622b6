// The engine calls of the members that talk to the engine, in order, against the scripted
// engine; their answers, their errors and the boxes they show.
#include "ControlFixture.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

using lumo::com::Bstr;
using lumo::control::MessageIcon;
using Calls = std::vector<std::string>;

namespace {

class EngineMembersTest : public lumo::test::ControlFixture {};

// What AddImageFile does for each start situation of the engine.
struct StartCase {
    const char* name;
    bool active;
    int code;          // StartEngine's answer
    bool raises;       // StartEngine raises instead
    bool goesOn;       // EnsureEngine lets the caller go on
    const char* box;   // the message shown, or null
    Calls startCalls;  // engine calls of EnsureEngine
};

const std::vector<StartCase>& startCases() {
    static const std::vector<StartCase> cases = {
        {"already active", true, 0, false, true, nullptr, {"Active"}},
        {"code 0", false, 0, false, true, nullptr, {"Active", "StartEngine()"}},
        {"code 1",
         false,
         1,
         false,
         false,
         "Install fingerprint sensor driver",
         {"Active", "StartEngine()", "StopEngine()"}},
        {"code 2",
         false,
         2,
         false,
         false,
         "Not connect with sensor!",
         {"Active", "StartEngine()", "StopEngine()"}},
        {"code 3", false, 3, false, true, nullptr, {"Active", "StartEngine()", "StopEngine()"}},
        {"raises",
         false,
         0,
         true,
         false,
         "Failed in initializing sensor",
         {"Active", "StartEngine()"}},
    };
    return cases;
}

}  // namespace

TEST_F(EngineMembersTest, EnsureEngineStartsReportsAndStopsByStartCode) {
    for (const StartCase& c : startCases()) {
        SCOPED_TRACE(c.name);
        engine->clearCalls();
        boxes->clear();
        engine->active = c.active;
        if (c.raises)
            engine->willThrow("StartEngine", "driver crashed");
        else
            engine->setAnswer("StartEngine", c.code);

        EXPECT_EQ(control->EnsureEngine(), c.goesOn);
        EXPECT_EQ(engine->calls(), c.startCalls);
        if (c.box) {
            ASSERT_EQ(boxes->boxes().size(), 1u);
            EXPECT_EQ(boxes->boxes()[0].text, c.box);
            EXPECT_EQ(boxes->boxes()[0].icon, MessageIcon::Error);
            EXPECT_EQ(boxes->boxes()[0].buttons, lumo::control::MessageButtons::Ok);
        } else {
            EXPECT_TRUE(boxes->boxes().empty());
        }
        engine->clearThrow("StartEngine");
    }
}

TEST_F(EngineMembersTest, AddImageFileStopsTheEngineAfterEveryImage) {
    for (const StartCase& c : startCases()) {
        for (bool accepted : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (accepted ? ", accepted" : ", refused"));
            engine->clearCalls();
            boxes->clear();
            engine->active = c.active;
            if (c.raises)
                engine->willThrow("StartEngine", "driver crashed");
            else
                engine->setAnswer("StartEngine", c.code);
            engine->setAnswer("AddImageFromFile", accepted);

            VARIANT_BOOL result = VARIANT_TRUE;
            Bstr file("/data/finger 1.png");
            ASSERT_EQ(lumo()->AddImageFile(file.get(), 500, &result), S_OK);

            Calls expected = c.startCalls;
            if (c.goesOn) {
                for (const char* call :
                     {"BeginImageInput()", "AddImageFromFile(/data/finger 1.png, 500)",
                      "StopEngine()"})
                    expected.push_back(call);
            }
            EXPECT_EQ(engine->calls(), expected);
            EXPECT_EQ(result, c.goesOn && accepted ? VARIANT_TRUE : VARIANT_FALSE);
            EXPECT_EQ(boxes->boxes().size(), c.box ? 1u : 0u);
            engine->clearThrow("StartEngine");
        }
    }
}

TEST_F(EngineMembersTest, AddImageFileStopsTheEngineAlsoWhenTheImageRaises) {
    engine->active = true;
    engine->willThrow("AddImageFromFile", "unreadable image");
    VARIANT_BOOL result = VARIANT_TRUE;
    Bstr file("x.bmp");
    EXPECT_EQ(lumo()->AddImageFile(file.get(), 300, &result), E_UNEXPECTED);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "unreadable image");
    EXPECT_EQ(engine->calls(), (Calls{"Active", "BeginImageInput()", "AddImageFromFile(x.bmp, 300)",
                                      "StopEngine()"}));
    EXPECT_EQ(result, VARIANT_FALSE);
}

TEST_F(EngineMembersTest, GetRegTemplateFromFileEnrollsWithOnePress) {
    struct Case {
        const char* name;
        bool registering;
        Calls middle;
    };
    for (const Case& c :
         {Case{"idle", false, {}}, Case{"enrolling", true, {"CancelEnrollment()"}}}) {
        SCOPED_TRACE(c.name);
        engine->clearCalls();
        engine->active = true;
        engine->isRegister = c.registering;
        engine->regTemplateFromFile = "REG-TPL";
        engine->willReturn("RegTemplateFromImageFile", false);  // the answer is ignored

        BSTR result = nullptr;
        Bstr file("a.png");
        ASSERT_EQ(lumo()->GetRegTemplateFromFile(file.get(), 500, &result), S_OK);
        EXPECT_EQ(text(result), "REG-TPL");
        Calls expected{"Active", "IsRegister"};
        expected.insert(expected.end(), c.middle.begin(), c.middle.end());
        for (const char* call :
             {"setEnrollCount(1)", "StartEnrollment()", "RegTemplateFromImageFile(a.png, 500)"})
            expected.push_back(call);
        EXPECT_EQ(engine->calls(), expected);
        EXPECT_TRUE(engine->active);  // stays started
    }
    LONG count = 0;
    ASSERT_EQ(lumo()->get_EnrollCount(&count), S_OK);
    EXPECT_EQ(count, 1);
}

TEST_F(EngineMembersTest, TemplatesFromFilesAreEmptyWhenTheEngineCannotStart) {
    engine->setAnswer("StartEngine", 2);
    engine->regTemplateFromFile = "never";
    engine->verTemplateFromFile = "never";
    BSTR reg = nullptr;
    BSTR ver = nullptr;
    Bstr file("a.png");
    ASSERT_EQ(lumo()->GetRegTemplateFromFile(file.get(), 500, &reg), S_OK);
    ASSERT_EQ(lumo()->GetVerTemplateFromFile(file.get(), 500, &ver), S_OK);
    EXPECT_EQ(text(reg), "");
    EXPECT_EQ(text(ver), "");
    EXPECT_EQ(boxes->texts(),
              (std::vector<std::string>{"Not connect with sensor!", "Not connect with sensor!"}));
    EXPECT_TRUE(engine
                    ->callsNamed(
                        {"RegTemplateFromImageFile", "VerTemplateFromImageFile", "StartEnrollment"})
                    .empty());
}

TEST_F(EngineMembersTest, GetVerTemplateFromFileReturnsTheEnginesText) {
    engine->active = true;
    engine->verTemplateFromFile = "VER-TPL";
    BSTR result = nullptr;
    Bstr file("b.tif");
    ASSERT_EQ(lumo()->GetVerTemplateFromFile(file.get(), 250, &result), S_OK);
    EXPECT_EQ(text(result), "VER-TPL");
    EXPECT_EQ(engine->calls(), (Calls{"Active", "VerTemplateFromImageFile(b.tif, 250)"}));
}

TEST_F(EngineMembersTest, SaveImageMembersTurnEngineErrorsIntoFalse) {
    struct Case {
        const char* name;
        HRESULT (ILumoMain::*call)(BSTR, VARIANT_BOOL*);
        const char* op;
    };
    for (const Case& c : {Case{"JPG", &ILumoMain::SaveFingerTemplateAsJPG, "SaveImageAsJpeg"},
                          Case{"BMP", &ILumoMain::SaveFingerTemplateAsBMP, "SaveImageAsBitmap"}}) {
        SCOPED_TRACE(c.name);
        engine->clearCalls();
        Bstr file("/no/such/dir/out.img");
        VARIANT_BOOL result = VARIANT_FALSE;
        ASSERT_EQ((lumo()->*c.call)(file.get(), &result), S_OK);
        EXPECT_EQ(result, VARIANT_TRUE);
        engine->willThrow(c.op, "cannot write");
        ASSERT_EQ((lumo()->*c.call)(file.get(), &result), S_OK);
        EXPECT_EQ(result, VARIANT_FALSE);
        const std::string call = std::string(c.op) + "(/no/such/dir/out.img)";
        EXPECT_EQ(engine->calls(), (Calls{call, call}));  // no start attempt
    }
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(EngineMembersTest, InitSensorReturnsTheStartCodeSilently) {
    struct Case {
        const char* name;
        bool active;
        int code;
        LONG expected;
        Calls calls;
    };
    const Case cases[] = {
        {"active", true, 0, 0, {"Active"}},
        {"code 0", false, 0, 0, {"Active", "StartEngine()"}},
        {"code 1", false, 1, 1, {"Active", "StartEngine()", "StopEngine()"}},
        {"code 2", false, 2, 2, {"Active", "StartEngine()", "StopEngine()"}},
        {"code 3", false, 3, 3, {"Active", "StartEngine()", "StopEngine()"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine->clearCalls();
        engine->active = c.active;
        engine->setAnswer("StartEngine", c.code);
        LONG value = -7;
        ASSERT_EQ(lumo()->InitSensor(&value), S_OK);
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(engine->calls(), c.calls);
    }
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(EngineMembersTest, InitSensorSwallowsEngineErrors) {
    // StartEngine raises: the value is not assigned.
    engine->willThrow("StartEngine", "gone");
    LONG value = -7;
    ASSERT_EQ(lumo()->InitSensor(&value), S_OK);
    EXPECT_EQ(value, -7);
    // StopEngine raises after a code: the value keeps the code.
    engine->willReturn("StartEngine", 2);
    engine->willThrow("StopEngine", "gone");
    ASSERT_EQ(lumo()->InitSensor(&value), S_OK);
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(EngineMembersTest, SensorSNStartsTheEngineOnEveryRead) {
    engine->sensorSN = "SN-0042";
    for (bool active : {false, true}) {
        SCOPED_TRACE(active);
        engine->clearCalls();
        engine->active = active;
        engine->setAnswer("StartEngine", 2);
        BSTR sn = nullptr;
        ASSERT_EQ(lumo()->get_SensorSN(&sn), S_OK);
        EXPECT_EQ(text(sn), "SN-0042");
        EXPECT_EQ(engine->calls(), (Calls{"StartEngine()", "SensorSN"}));
    }
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(EngineMembersTest, SignalMembersPassCodeAndSwitchAndTheAnswer) {
    struct Case {
        const char* name;
        HRESULT (ILumoMain::*call)(VARIANT_BOOL, LONG*);
        VARIANT_BOOL value;
        const char* expected;
    };
    const Case cases[] = {
        {"green on", &ILumoMain::PlayGreenLight, VARIANT_TRUE, "SignalSensor(11, 1)"},
        {"green off", &ILumoMain::PlayGreenLight, VARIANT_FALSE, "SignalSensor(11, 0)"},
        {"red off", &ILumoMain::PlayRedLight, VARIANT_FALSE, "SignalSensor(12, 0)"},
        {"red on (1)", &ILumoMain::PlayRedLight, 1, "SignalSensor(12, 1)"},
        {"beep on", &ILumoMain::PlayBeep, VARIANT_TRUE, "SignalSensor(13, 1)"},
        {"beep off", &ILumoMain::PlayBeep, VARIANT_FALSE, "SignalSensor(13, 0)"},
    };
    int answer = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine->clearCalls();
        engine->willReturn("SignalSensor", ++answer);
        LONG result = 0;
        ASSERT_EQ((lumo()->*c.call)(c.value, &result), S_OK);
        EXPECT_EQ(result, answer);
        EXPECT_EQ(engine->calls(), (Calls{c.expected}));
    }
    engine->willThrow("SignalSensor", "no sensor");
    LONG result = 0;
    EXPECT_EQ(lumo()->PlayBeep(VARIANT_TRUE, &result), E_UNEXPECTED);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "no sensor");
}
