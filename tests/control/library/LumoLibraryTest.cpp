// liblumo.so as a host sees it: registered through its own export into a private registry,
// created by ProgID with CoCreateInstance, called through the vtable of the host header and
// through IDispatch, unregistered again.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "control/resources/Lumo_TLB.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Registration.h"
#include "platform/com/ServerExports.h"
#include "platform/com/Variant.h"
#include "platform/registry/Registry.h"
#include "tests/support/qt/WidgetApplication.h"

namespace fs = std::filesystem;
using lumo::com::Bstr;
using lumo::com::ComPtr;
using lumo::registry::Root;

namespace {

const std::string kLibrary = std::string(LUMO_BIN_DIR) + "/liblumo.so";
const std::string kClsidKey = "CLSID\\" + lumo::com::guidToString(CLSID_LumoMain);

class RecordingBoxes final : public lumo::com::ComObject<RecordingBoxes, ILumoMessageBoxHandler> {
public:
    HRESULT STDMETHODCALLTYPE ShowMessageBox(LumoMessageIcon icon, BSTR text, LumoMessageButtons,
                                             LumoMessageAnswer* answer) override {
        icons.push_back(icon);
        texts.push_back(lumo::com::bstrToUtf8(text));
        *answer = lmaOk;
        return S_OK;
    }
    std::vector<LumoMessageIcon> icons;
    std::vector<std::string> texts;
};

class LumoLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lumo::test::ensureWidgetApplication(); }

    void SetUp() override {
        char pattern[] = "/tmp/lumo-registry-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_registry = pattern;
        setenv("LUMO_REGISTRY", m_registry.c_str(), 1);
        m_handle = dlopen(kLibrary.c_str(), RTLD_NOW);
        ASSERT_NE(m_handle, nullptr) << dlerror();
        m_register =
            reinterpret_cast<DllRegisterServerFunction>(dlsym(m_handle, "DllRegisterServer"));
        m_unregister =
            reinterpret_cast<DllUnregisterServerFunction>(dlsym(m_handle, "DllUnregisterServer"));
        m_canUnload = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(m_handle, "DllCanUnloadNow"));
        ASSERT_TRUE(m_register && m_unregister && m_canUnload);
        ASSERT_EQ(m_register(), S_OK);
    }

    void TearDown() override {
        unsetenv("LUMO_REGISTRY");
        std::error_code ec;
        fs::remove_all(m_registry, ec);
        // The library stays loaded, as CoCreateInstance leaves it.
    }

    ComPtr<ILumoMain> create() {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(u"Lumo.LumoMain", &clsid), S_OK);
        EXPECT_EQ(clsid, CLSID_LumoMain);
        ComPtr<ILumoMain> control;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ILumoMain,
                                   control.putVoid()),
                  S_OK)
            << lumo::com::takeErrorDescription();
        return control;
    }

    fs::path m_registry;
    void* m_handle = nullptr;
    DllRegisterServerFunction m_register = nullptr;
    DllUnregisterServerFunction m_unregister = nullptr;
    DllCanUnloadNowFunction m_canUnload = nullptr;
};

HRESULT invokeGet(ILumoMain* c, const char16_t* name, VARIANT* result) {
    std::u16string n(name);
    LPOLESTR names[] = {n.data()};
    DISPID id = 0;
    HRESULT hr = c->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return c->Invoke(id, IID_NULL, 0x409, DISPATCH_PROPERTYGET, &none, result, nullptr, nullptr);
}

HRESULT invokePut(ILumoMain* c, const char16_t* name, VARIANT value) {
    std::u16string n(name);
    LPOLESTR names[] = {n.data()};
    DISPID id = 0;
    HRESULT hr = c->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    return c->Invoke(id, IID_NULL, 0x409, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

}  // namespace

TEST_F(LumoLibraryTest, LibraryExportsOnlyTheFourServerFunctions) {
    for (const char* name :
         {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(dlsym(m_handle, name), nullptr);
    }
    // Inner code is not visible from outside.
    EXPECT_EQ(dlsym(m_handle, "_ZN4lumo7control12createEngineEv"), nullptr);
}

TEST_F(LumoLibraryTest, RegistrationWritesClassProgIdAndTypeLibrary) {
    const std::string path = fs::canonical(kLibrary).string();
    auto value = [](const std::string& key, const std::string& name = "") {
        return lumo::registry::readValue(Root::ClassesRoot, key, name).value_or("<missing>");
    };
    EXPECT_EQ(fs::canonical(value(kClsidKey + "\\InprocServer32")).string(), path);
    EXPECT_EQ(value(kClsidKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(value(kClsidKey + "\\ProgID"), "Lumo.LumoMain");
    EXPECT_EQ(value(kClsidKey + "\\TypeLib"), "{75A1B333-5B25-4450-93EF-46A951CDAD6B}");
    EXPECT_EQ(value(kClsidKey + "\\MiscStatus\\1"), "73728");
    EXPECT_EQ(value("Lumo.LumoMain\\CLSID"), "{E9A5302A-F08E-4929-9717-79CDC84F2490}");
    EXPECT_EQ(value("TypeLib\\{75A1B333-5B25-4450-93EF-46A951CDAD6B}\\3.0"), "Lumo Library");

    ASSERT_EQ(m_unregister(), S_OK);
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, kClsidKey));
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, "Lumo.LumoMain"));
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Lumo.LumoMain", &clsid), REGDB_E_CLASSNOTREG);
    ASSERT_EQ(m_register(), S_OK);  // twice is fine
    ASSERT_EQ(m_register(), S_OK);
}

TEST_F(LumoLibraryTest, VtableAndDispatchAgree) {
    ComPtr<ILumoMain> c = create();
    ASSERT_TRUE(c);

    ASSERT_EQ(c->put_VerifyCount(6), S_OK);
    VARIANT v;
    VariantInit(&v);
    ASSERT_EQ(invokeGet(c.get(), u"VerifyCount", &v), S_OK);
    EXPECT_EQ(V_VT(&v), VT_I4);
    EXPECT_EQ(V_I4(&v), 6);

    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = lumo::com::allocBstr("1010000000");
    ASSERT_EQ(invokePut(c.get(), u"CheckFinger", text), S_OK);
    VariantClear(&text);
    BSTR finger = nullptr;
    ASSERT_EQ(c->get_CheckFinger(&finger), S_OK);
    EXPECT_EQ(Bstr::attach(finger).toUtf8(), "1010000000");

    LONG threshold = 0;
    ASSERT_EQ(c->get_OneToOneThreshold(&threshold), S_OK);
    EXPECT_EQ(threshold, 10);
    ASSERT_EQ(invokeGet(c.get(), u"EnrollCount", &v), S_OK);
    EXPECT_EQ(V_I4(&v), 4);
}

TEST_F(LumoLibraryTest, EngineWithoutScannerReportsNoSensorAndRefusesBadTemplates) {
    // The engine inside the library is told that no scanner is attached.
    lumo::registry::writeValue(Root::LocalMachine, "SOFTWARE\\FPEngine", "Sensor", "none");
    ComPtr<ILumoMain> c = create();
    ASSERT_TRUE(c);
    auto boxes = lumo::com::makeObject<RecordingBoxes>();
    ASSERT_EQ(c.query<ILumoMessageBoxes>()->SetMessageBoxHandler(boxes.get()), S_OK);

    LONG code = -1;
    ASSERT_EQ(c->InitSensor(&code), S_OK);
    EXPECT_EQ(code, 2);
    VARIANT_BOOL added = VARIANT_TRUE;
    ASSERT_EQ(c->AddImageFile(Bstr("finger.png").get(), 500, &added), S_OK);
    EXPECT_EQ(added, VARIANT_FALSE);

    // The error info of a failing member reaches this host across the library boundary.
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(c->CompressTemplate(Bstr("TPL").get(), &value), E_UNEXPECTED);
    EXPECT_EQ(V_VT(&value), VT_EMPTY);
    EXPECT_NE(lumo::com::takeErrorDescription().find("Template text is not valid Base64"),
              std::string::npos);

    VARIANT_BOOL matched = VARIANT_TRUE;
    ASSERT_EQ(c->MatchFinger(Bstr("A").get(), Bstr("B").get(), &matched), S_OK);
    EXPECT_EQ(matched, VARIANT_FALSE);

    ASSERT_EQ(boxes->texts.size(), 2u);
    EXPECT_EQ(boxes->texts[0], "Not connect with sensor!");
    EXPECT_EQ(boxes->texts[1].rfind("MatchFinger error. ", 0), 0u);
    EXPECT_GT(boxes->texts[1].size(), std::string("MatchFinger error. ").size());
    EXPECT_EQ(boxes->icons[0], lmiError);
}

TEST_F(LumoLibraryTest, HostParentsTheFormAndTheLibraryUnloadsOnlyWhenIdle) {
    ComPtr<ILumoMain> c = create();
    ASSERT_TRUE(c);
    EXPECT_EQ(m_canUnload(), S_FALSE);
    QWidget host;
    QWidget* form = nullptr;
    ASSERT_EQ(c.query<ILumoActiveForm>()->GetFormWidget(&form), S_OK);
    ASSERT_NE(form, nullptr);
    form->setParent(&host);
    EXPECT_EQ(form->parentWidget(), &host);
    c.reset();  // the control deletes its form, also when it sits in the host's window
    EXPECT_TRUE(host.findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(m_canUnload(), S_OK);
}
