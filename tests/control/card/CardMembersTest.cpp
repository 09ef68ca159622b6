// The card members and the cipher members of the control, through its vtable and IDispatch.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "control/card/CardRecord.h"
#include "control/card/TemplateCipher.h"
#include "control/core/VIZErevorMainImpl.h"
#include "platform/com/Bstr.h"
#include "platform/com/ErrorInfo.h"
#include "tests/support/card/SimulatedCardEngine.h"
#include "tests/support/control/RecordingPresenter.h"
#include "tests/support/qt/WidgetApplication.h"

namespace {

namespace fs = std::filesystem;
using lumo::com::Bstr;
using lumo::test::SimulatedCardEngine;

using lumo::test::ensureWidgetApplication;

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 5 + 1);
    return bytes;
}

class CardMembersTest : public testing::Test {
protected:
    void SetUp() override {
        ensureWidgetApplication();
        m_oldFolder = fs::current_path();
        m_folder = fs::temp_directory_path() /
                   ("card-members-" + std::to_string(::getpid()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::current_path(m_folder);
        engine = std::make_shared<SimulatedCardEngine>();
        boxes = std::make_shared<lumo::test::RecordingPresenter>();
        control = lumo::com::makeObject<lumo::control::TLumoMain>(engine, boxes);
        engine->clearCalls();
        lumo::com::clearErrorInfo();
    }
    void TearDown() override {
        control = nullptr;
        fs::current_path(m_oldFolder);
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    ILumoMain* lumo() { return control.get(); }
    static std::string text(BSTR b) { return Bstr::attach(b).toUtf8(); }

    DISPID idOf(const char* name) {
        std::u16string wide(name, name + std::strlen(name));
        LPOLESTR names[] = {wide.data()};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(lumo()->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK) << name;
        return id;
    }
    // Arguments in declaration order.
    HRESULT invoke(const char* name, std::vector<VARIANT> args, VARIANT* result,
                   EXCEPINFO* excep = nullptr) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                          UINT(reversed.size()), 0};
        UINT argErr = 0;
        return lumo()->Invoke(idOf(name), IID_NULL, 0x409, DISPATCH_METHOD, &params, result, excep,
                              &argErr);
    }
    static VARIANT i4(LONG v) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_I4;
        V_I4(&x) = v;
        return x;
    }
    static VARIANT boolean(bool v) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_BOOL;
        V_BOOL(&x) = v ? VARIANT_TRUE : VARIANT_FALSE;
        return x;
    }
    static VARIANT str(const Bstr& b) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_BSTR;
        V_BSTR(&x) = b.get();
        return x;
    }

    std::shared_ptr<SimulatedCardEngine> engine;
    std::shared_ptr<lumo::test::RecordingPresenter> boxes;
    lumo::com::ComPtr<lumo::control::TLumoMain> control;

private:
    fs::path m_oldFolder;
    fs::path m_folder;
};

TEST_F(CardMembersTest, KeysThroughTheVtable) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(lumo()->Set6FPCardKey(1, 2, 3, 0, 10, -1, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(control->cardKey(), (lumo::engine::CardKey{0x31, 0x32, 0x33, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(lumo()->SetNew6FPCardKey(9, 9, 9, 9, 9, 9, &ok), S_OK);
    EXPECT_EQ(control->newCardKey(), (lumo::engine::CardKey{0x39, 0x39, 0x39, 0x39, 0x39, 0x39}));
}

TEST_F(CardMembersTest, WriteReadAndEmptyThroughTheVtable) {
    engine->active = true;
    const auto tpl = pattern(406);
    LONG result = 99;
    const Bstr templateText(SimulatedCardEngine::templateText(tpl));
    ASSERT_EQ(lumo()->WriteTemplateToCard(templateText.get(), 65536 + 5, VARIANT_FALSE,
                                          VARIANT_FALSE, &result),
              S_OK);
    EXPECT_EQ(result, 0);

    BSTR readText = lumo::com::allocBstr("in value");
    LONG userId = 77;
    ASSERT_EQ(lumo()->ReadTemplateFromCard(&readText, &userId, VARIANT_FALSE, &result), S_OK);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(userId, 5);
    EXPECT_EQ(text(readText), SimulatedCardEngine::templateText(tpl));

    ASSERT_EQ(lumo()->EmptyMFCard(VARIANT_TRUE, &result), S_OK);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(control->newCardKey(), (lumo::engine::CardKey{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    readText = nullptr;
    ASSERT_EQ(lumo()->ReadTemplateFromCard(&readText, &userId, VARIANT_TRUE, &result), S_OK);
    EXPECT_EQ(result, -1);  // the empty record holds no template
    EXPECT_EQ(userId, 0);
    EXPECT_EQ(text(readText), "");
    ASSERT_EQ(boxes->texts().size(), 1u);
    EXPECT_EQ(boxes->texts()[0].rfind("Read fingerprint from card error. ", 0), 0u);
}

TEST_F(CardMembersTest, EngineThatDoesNotStartGivesMinusOneAfterItsMessage) {
    engine->willReturn("StartEngine", 2);
    LONG result = 99;
    const Bstr templateText("0a0b");
    ASSERT_EQ(
        lumo()->WriteTemplateToCard(templateText.get(), 1, VARIANT_FALSE, VARIANT_TRUE, &result),
        S_OK);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(boxes->texts(), std::vector<std::string>{"Not connect with sensor!"});
    EXPECT_TRUE(engine->cardCalls().empty());
}

TEST_F(CardMembersTest, UnconvertibleTemplateFailsTheCallAndWritesNothing) {
    engine->active = true;
    LONG result = 99;
    const Bstr templateText("not a template");
    EXPECT_EQ(
        lumo()->WriteTemplateToCard(templateText.get(), 1, VARIANT_TRUE, VARIANT_TRUE, &result),
        E_UNEXPECTED);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(engine->card.transferCount(), 0);
    EXPECT_NE(lumo::com::takeErrorDescription().find("could not be converted"), std::string::npos);
}

TEST_F(CardMembersTest, CardMembersThroughIDispatch) {
    engine->active = true;
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke("Set6FPCardKey", {i4(0), i4(0), i4(0), i4(0), i4(0), i4(0)}, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);

    const Bstr templateText(SimulatedCardEngine::templateText(pattern(40)));
    VariantInit(&result);
    ASSERT_EQ(invoke("WriteTemplateToCard",
                     {str(templateText), i4(-1), boolean(false), boolean(true)}, &result),
              S_OK);
    EXPECT_EQ(V_VT(&result), VT_I4);
    EXPECT_EQ(V_I4(&result), 0);

    BSTR inOutText = nullptr;
    LONG inOutId = 0;
    VARIANT textRef;
    VariantInit(&textRef);
    V_VT(&textRef) = VT_BYREF | VT_BSTR;
    textRef.pbstrVal = &inOutText;
    VARIANT idRef;
    VariantInit(&idRef);
    V_VT(&idRef) = VT_BYREF | VT_I4;
    idRef.plVal = &inOutId;
    VariantInit(&result);
    ASSERT_EQ(invoke("ReadTemplateFromCard", {textRef, idRef, boolean(true)}, &result), S_OK);
    EXPECT_EQ(V_I4(&result), 0);
    EXPECT_EQ(inOutId, -1);
    EXPECT_EQ(text(inOutText), SimulatedCardEngine::templateText(pattern(40)));

    VariantInit(&result);
    ASSERT_EQ(invoke("EmptyMFCard", {boolean(false)}, &result), S_OK);
    EXPECT_EQ(V_I4(&result), 0);
    VariantInit(&result);
    ASSERT_EQ(invoke("SetNew6FPCardKey", {i4(1), i4(2), i4(3), i4(4), i4(5), i4(6)}, &result),
              S_OK);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
}

TEST_F(CardMembersTest, CipherThroughTheVtable) {
    const Bstr plain("  a template text \xC3\xA9 ");
    const Bstr key("00112233445566778899aabbccddeeff");
    BSTR enciphered = nullptr;
    ASSERT_EQ(lumo()->Encrypt(plain.get(), key.get(), &enciphered), S_OK);
    const std::string cipherText = text(enciphered);
    EXPECT_EQ(cipherText, lumo::card::Encrypt("  a template text \xC3\xA9 ",
                                              "00112233445566778899aabbccddeeff"));
    const Bstr cipherBstr(cipherText);
    BSTR back = nullptr;
    ASSERT_EQ(lumo()->Decrypt(cipherBstr.get(), key.get(), &back), S_OK);
    EXPECT_EQ(text(back), "a template text \xC3\xA9");
    EXPECT_TRUE(engine->calls().empty());  // the cipher never touches the engine
}

TEST_F(CardMembersTest, CipherErrorsThroughIDispatch) {
    const Bstr empty("");
    const Bstr key("00");
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    EXPECT_EQ(invoke("Decrypt", {str(empty), str(key)}, &result, &excep), DISP_E_EXCEPTION);
    EXPECT_EQ(Bstr::attach(excep.bstrDescription).toUtf8(), "Wrong message length.");
    Bstr::attach(excep.bstrSource);
    Bstr::attach(excep.bstrHelpFile);

    VariantInit(&result);
    const Bstr plain("seventeen bytes!!");
    ASSERT_EQ(invoke("Encrypt", {str(plain), str(key)}, &result), S_OK);
    ASSERT_EQ(V_VT(&result), VT_BSTR);
    EXPECT_EQ(text(V_BSTR(&result)), lumo::card::Encrypt("seventeen bytes!!", "00"));
}

}  // namespace
