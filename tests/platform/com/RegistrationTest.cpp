#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>

#include "TempRegistry.h"
#include "TestServerIds.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComError.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Registration.h"
#include "platform/com/ServerExports.h"
#include "platform/com/Utf16.h"
#include "platform/registry/Registry.h"

using lumo::com::ComPtr;
using lumo::com::test::CLSID_Calculator;
using lumo::registry::Root;

namespace {

const std::string kServer = LUMO_TEST_COM_SERVER;
const std::string kNoExports = LUMO_TEST_COM_NOEXPORTS;

template <class F>
F entryPoint(const char* name) {
    void* handle = dlopen(kServer.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << dlerror();
    return reinterpret_cast<F>(dlsym(handle, name));
}

std::string classKey() { return "CLSID\\" + lumo::com::guidToString(CLSID_Calculator); }

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { lumo::com::clearErrorInfo(); }

    // A class entry whose library path is `path`.
    void registerPath(const std::string& path) {
        lumo::registry::writeValue(Root::ClassesRoot, classKey() + "\\InprocServer32", "", path);
    }
    HRESULT create(void** out) {
        return CoCreateInstance(CLSID_Calculator, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                out);
    }

    lumo::com::test::TempRegistry m_registry;
};

}  // namespace

TEST_F(RegistrationTest, ServerRegistersIsCreatedByProgIdAndUnregisters) {
    const auto registerServer = entryPoint<DllRegisterServerFunction>("DllRegisterServer");
    const auto unregisterServer = entryPoint<DllUnregisterServerFunction>("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);
    ASSERT_EQ(registerServer(), S_OK) << lumo::com::takeErrorDescription();

    const std::string clsidText = lumo::com::guidToString(CLSID_Calculator);
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, classKey() + "\\InprocServer32", ""),
              std::filesystem::canonical(kServer).string());
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, classKey() + "\\InprocServer32",
                                        "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, classKey() + "\\ProgID", ""),
              "LumoTest.Calculator");
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, "LumoTest.Calculator\\CLSID", ""),
              clsidText);
    const std::string libid = lumo::com::guidToString(lumo::com::test::LIBID_Calculator);
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, classKey() + "\\TypeLib", ""), libid);
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, "TypeLib\\" + libid + "\\3.0", ""),
              "Calculator Library");

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"LumoTest.Calculator", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Calculator);
    // ProgIDs compare without regard to case, like every registry key.
    ASSERT_EQ(CLSIDFromProgID(u"lumotest.calculator", &clsid), S_OK);

    {
        IDispatch* raw = nullptr;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
                                   reinterpret_cast<void**>(&raw)),
                  S_OK)
            << lumo::com::takeErrorDescription();
        auto calculator = ComPtr<IDispatch>::attach(raw);

        LPOLESTR names[] = {const_cast<LPOLESTR>(u"add")};
        DISPID add = 0;
        ASSERT_EQ(calculator->GetIDsOfNames(IID_NULL, names, 1, 0, &add), S_OK);
        VARIANT args[2];
        VariantInit(&args[0]);
        VariantInit(&args[1]);
        args[1].vt = VT_I4;
        args[1].lVal = 40;
        args[0].vt = VT_I4;
        args[0].lVal = 2;
        DISPPARAMS params{args, nullptr, 2, 0};
        VARIANT result;
        VariantInit(&result);
        ASSERT_EQ(calculator->Invoke(add, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr,
                                     nullptr),
                  S_OK);
        EXPECT_EQ(result.lVal, 42);

        // A failure inside the library reaches this side with its description.
        args[1].lVal = 0x7FFFFFFF;
        EXCEPINFO excep{};
        EXPECT_EQ(calculator->Invoke(add, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &excep,
                                     nullptr),
                  DISP_E_EXCEPTION);
        EXPECT_EQ(excep.scode, DISP_E_OVERFLOW);
        EXPECT_EQ(lumo::com::bstrToUtf8(excep.bstrDescription), "The sum does not fit 32 bits");
        lumo::com::clearExcepInfo(&excep);
        EXPECT_EQ(calculator->Invoke(add, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr,
                                     nullptr),
                  DISP_E_OVERFLOW);
        EXPECT_EQ(lumo::com::takeErrorDescription(), "The sum does not fit 32 bits");

        // A BSTR made by the library is freed here.
        const long bstrs = lumo::com::liveBstrCount();
        const long badFrees = lumo::com::badFreeCount();
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        ASSERT_EQ(calculator->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                     nullptr),
                  S_OK);
        EXPECT_EQ(lumo::com::bstrToUtf8(result.bstrVal),
                  "Gr\xC3\xBC\xC3\x9F"
                  "e");
        EXPECT_EQ(lumo::com::liveBstrCount(), bstrs + 1);
        VariantClear(&result);
        EXPECT_EQ(lumo::com::liveBstrCount(), bstrs);
        EXPECT_EQ(lumo::com::badFreeCount(), badFrees);

        const auto canUnload = entryPoint<DllCanUnloadNowFunction>("DllCanUnloadNow");
        EXPECT_EQ(canUnload(), S_FALSE) << "an object is alive";
    }

    // The throwing form gives the same object.
    auto again =
        lumo::com::createInstance<IDispatch>(lumo::com::clsidFromProgId("LumoTest.Calculator"));
    EXPECT_TRUE(again);
    again.reset();

    ASSERT_EQ(unregisterServer(), S_OK) << lumo::com::takeErrorDescription();
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, classKey()));
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, "LumoTest.Calculator"));
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, "TypeLib\\" + libid));
    EXPECT_EQ(CLSIDFromProgID(u"LumoTest.Calculator", &clsid), REGDB_E_CLASSNOTREG);
    void* object = nullptr;
    EXPECT_EQ(create(&object), REGDB_E_CLASSNOTREG);
    // Unregistering twice is no error.
    EXPECT_EQ(unregisterServer(), S_OK);
}

TEST_F(RegistrationTest, UnregisteringLeavesAProgIdTakenOverByAnotherClass) {
    lumo::com::ServerRegistration mine;
    mine.clsid = CLSID_Calculator;
    mine.progId = "Shared.Name";
    mine.library = kServer;
    lumo::com::registerServer(mine);
    lumo::com::ServerRegistration other = mine;
    other.clsid = lumo::com::test::LIBID_Calculator;  // any other identifier
    lumo::com::registerServer(other);

    lumo::com::unregisterServer(mine);
    EXPECT_EQ(lumo::com::clsidFromProgId("Shared.Name"), other.clsid);
    lumo::com::unregisterServer(other);
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, "Shared.Name"));
}

TEST_F(RegistrationTest, CreationFailuresNameWhatIsWrong) {
    const std::string notALibrary = (m_registry.dir() / "not-a-library.so").string();
    std::ofstream(notALibrary) << std::string(200, 'x') << "\n";
    const std::string missing = (m_registry.dir() / "gone.so").string();

    struct Case {
        const char* name;
        std::string path;  // "" = no class entry at all
        HRESULT hr;
        std::vector<std::string> descriptionParts;
    };
    const std::string clsidText = lumo::com::guidToString(CLSID_Calculator);
    const Case cases[] = {
        {"class not registered", "", REGDB_E_CLASSNOTREG, {clsidText, "not registered"}},
        {"library file missing", missing, CO_E_DLLNOTFOUND, {missing, clsidText}},
        {"file is no library", notALibrary, CO_E_ERRORINDLL, {notALibrary, "invalid ELF header"}},
        {"library without the export",
         kNoExports,
         CO_E_ERRORINDLL,
         {kNoExports, "DllGetClassObject"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lumo::registry::deleteKeyTree(Root::ClassesRoot, classKey());
        if (!c.path.empty()) registerPath(c.path);
        void* object = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(create(&object), c.hr);
        EXPECT_EQ(object, nullptr);
        const std::string description = lumo::com::takeErrorDescription();
        for (const std::string& part : c.descriptionParts) {
            EXPECT_NE(description.find(part), std::string::npos) << description;
        }
    }
}

TEST_F(RegistrationTest, ClassTheLibraryDoesNotServe) {
    registerPath(kServer);
    const CLSID stranger = lumo::com::test::LIBID_Calculator;
    lumo::registry::writeValue(Root::ClassesRoot,
                               "CLSID\\" + lumo::com::guidToString(stranger) + "\\InprocServer32",
                               "", kServer);
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(stranger, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_NE(lumo::com::takeErrorDescription().find("does not provide class"), std::string::npos);
    // An interface the object lacks.
    EXPECT_EQ(CoCreateInstance(CLSID_Calculator, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IConnectionPointContainer, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(RegistrationTest, ArgumentRules) {
    registerPath(kServer);
    IUnknown* outer = reinterpret_cast<IUnknown*>(0x1);
    void* object = nullptr;
    EXPECT_EQ(
        CoCreateInstance(CLSID_Calculator, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
        CLASS_E_NOAGGREGATION);
    EXPECT_EQ(
        CoCreateInstance(CLSID_Calculator, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(
        CoCreateInstance(CLSID_Calculator, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
        E_POINTER);

    // The class factory itself.
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(CLSID_Calculator, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
    factory->Release();
}

TEST_F(RegistrationTest, ProgIdLookupFailures) {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Nobody.Here", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_NE(lumo::com::takeErrorDescription().find("Nobody.Here"), std::string::npos);
    lumo::registry::writeValue(Root::ClassesRoot, "Broken.Entry\\CLSID", "", "{not-a-guid}");
    EXPECT_EQ(CLSIDFromProgID(u"Broken.Entry", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
    EXPECT_THROW(lumo::com::clsidFromProgId(""), lumo::com::ComError);
}

TEST_F(RegistrationTest, ModulePathOfTheProgramAndOfALibrary) {
    const auto self =
        lumo::com::modulePathOf(reinterpret_cast<const void*>(&entryPoint<void (*)()>));
    EXPECT_EQ(self, std::filesystem::read_symlink("/proc/self/exe"));
    const auto registerServer = entryPoint<DllRegisterServerFunction>("DllRegisterServer");
    EXPECT_EQ(lumo::com::modulePathOf(reinterpret_cast<const void*>(registerServer)),
              std::filesystem::canonical(kServer));
}
