// The control library's entry points: the four in-process server exports and the step that
// runs when the library is loaded.
#include <string>

#include "control/core/EngineFactory.h"
#include "control/core/VIZErevorMainImpl.h"
#include "control/language/IniLang.h"
#include "control/resources/Lumo_TLB.h"
#include "platform/com/ErrorGuard.h"
#include "platform/com/ObjectFactory.h"
#include "platform/com/Registration.h"
#include "platform/com/ServerExports.h"

namespace {

using lumo::com::ComPtr;

constexpr const char* kSource = "Lumo";

lumo::com::ServerRegistration lumoRegistration() {
    lumo::com::ServerRegistration r;
    r.clsid = CLSID_LumoMain;
    r.progId = LumoMainProgID;
    r.description = "LumoMain Control";
    r.library = lumo::com::modulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    r.threadingModel = "Apartment";
    r.typeLibrary = LIBID_Lumo;
    r.typeLibraryVersion =
        std::to_string(LumoMajorVersion) + "." + std::to_string(LumoMinorVersion);
    r.typeLibraryHelp = "Lumo Library";
    const std::string clsidKey = "CLSID\\" + lumo::com::guidToString(CLSID_LumoMain);
    r.extraEntries = {
        {clsidKey + "\\Control", "", ""},
        {clsidKey + "\\MiscStatus", "", "0"},
        {clsidKey + "\\MiscStatus\\1", "", std::to_string(LumoMainMiscStatus)},
        {clsidKey + "\\ToolboxBitmap32", "", r.library.string() + ",1"},
    };
    return r;
}

// The load-time step of the library: the language file of the system locale next to the host
// program becomes current. Runs once, when CoCreateInstance or regsvr loads the library; a
// failure only means that no language file is current.
__attribute__((constructor)) void lumoLibraryLoaded() {
    try {
        lumo::language::loadSystemLocaleLanguage();
    } catch (...) {
    }
}

}  // namespace

extern "C" {

LUMO_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(rclsid == CLSID_LumoMain)) return CLASS_E_CLASSNOTAVAILABLE;
    return lumo::com::guarded(
        [&]() -> HRESULT {
            auto factory = lumo::com::makeObject<lumo::com::ObjectFactory>([] {
                auto control =
                    lumo::com::makeObject<lumo::control::TLumoMain>(lumo::control::createEngine());
                return ComPtr<IUnknown>(static_cast<ILumoMain*>(control.get()));
            });
            return factory->QueryInterface(riid, ppv);
        },
        kSource);
}

LUMO_EXPORT HRESULT DllCanUnloadNow() { return lumo::com::canUnloadNow(); }

LUMO_EXPORT HRESULT DllRegisterServer() {
    return lumo::com::guarded([] { lumo::com::registerServer(lumoRegistration()); }, kSource);
}

LUMO_EXPORT HRESULT DllUnregisterServer() {
    return lumo::com::guarded([] { lumo::com::unregisterServer(lumoRegistration()); }, kSource);
}

}  // extern "C"
