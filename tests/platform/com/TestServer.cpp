// A tiny in-process server for the creation and registration tests: class "LumoTest.Calculator"
// with one dispatch object. LUMO_TEST_SERVER_REFUSE=1 makes DllRegisterServer and
// DllUnregisterServer fail the way a real server reports a failure.
#include <cstdlib>

#include "TestServerIds.h"
#include "platform/com/ComError.h"
#include "platform/com/ComObject.h"
#include "platform/com/DispatchTable.h"
#include "platform/com/ErrorGuard.h"
#include "platform/com/ObjectFactory.h"
#include "platform/com/Registration.h"
#include "platform/com/ServerExports.h"

namespace {

using lumo::com::DispatchCall;
using lumo::com::MemberKind;

class Calculator final : public lumo::com::ComObject<Calculator, IDispatch> {
public:
    HRESULT add(LONG a, LONG b, LONG* result) {
        return lumo::com::guarded([&] {
            const long long sum = static_cast<long long>(a) + b;
            if (sum > 0x7FFFFFFF || sum < -0x7FFFFFFFLL - 1) {
                throw lumo::com::ComError(DISP_E_OVERFLOW, "The sum does not fit 32 bits");
            }
            *result = static_cast<LONG>(sum);
        });
    }
    HRESULT greeting(BSTR* result) {
        return lumo::com::guarded([&] {
            *result =
                lumo::com::allocBstr(std::string_view("Gr\xC3\xBC\xC3\x9F"
                                                      "e"));
        });
    }

    static const lumo::com::DispatchTable<Calculator>& table() {
        static const lumo::com::DispatchTable<Calculator> members({
            {"Add",
             1,
             MemberKind::Method,
             {{"A", VT_I4}, {"B", VT_I4}},
             VT_I4,
             [](Calculator& self, DispatchCall& call) {
                 return self.add(call.i4(0), call.i4(1), call.i4Result());
             }},
            {"Greeting",
             2,
             MemberKind::PropertyGet,
             {},
             VT_BSTR,
             [](Calculator& self, DispatchCall& call) { return self.greeting(call.bstrResult()); }},
        });
        return members;
    }

    LUMO_DISPATCH_FROM_TABLE(Calculator, table())
};

lumo::com::ServerRegistration registration() {
    lumo::com::ServerRegistration r;
    r.clsid = lumo::com::test::CLSID_Calculator;
    r.progId = lumo::com::test::kCalculatorProgId;
    r.description = "Calculator for tests";
    r.library = lumo::com::modulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    r.typeLibrary = lumo::com::test::LIBID_Calculator;
    r.typeLibraryVersion = "3.0";
    r.typeLibraryHelp = "Calculator Library";
    return r;
}

void refuseWhenAsked() {
    const char* refuse = std::getenv("LUMO_TEST_SERVER_REFUSE");
    if (refuse && std::string(refuse) == "1") {
        throw lumo::com::ComError(E_ACCESSDENIED, "Registration refused by the test server");
    }
}

}  // namespace

HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (rclsid != lumo::com::test::CLSID_Calculator) return CLASS_E_CLASSNOTAVAILABLE;
    return lumo::com::guarded([&] {
        auto factory = lumo::com::makeObject<lumo::com::ObjectFactory>(
            [] { return lumo::com::ComPtr<IUnknown>(lumo::com::makeObject<Calculator>()); });
        return factory->QueryInterface(riid, ppv);
    });
}

HRESULT DllCanUnloadNow() { return lumo::com::canUnloadNow(); }

HRESULT DllRegisterServer() {
    return lumo::com::guarded([] {
        refuseWhenAsked();
        lumo::com::registerServer(registration());
    });
}

HRESULT DllUnregisterServer() {
    return lumo::com::guarded([] {
        refuseWhenAsked();
        lumo::com::unregisterServer(registration());
    });
}
