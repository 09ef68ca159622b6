// Class registration and creation over the registry layer (HKEY_CLASSES_ROOT).
//
// A server's entries, as registerServer() writes them:
//     CLSID\{clsid}                    @ = description
//     CLSID\{clsid}\InprocServer32     @ = absolute library path, ThreadingModel = Apartment
//     CLSID\{clsid}\ProgID             @ = ProgID
//     CLSID\{clsid}\TypeLib            @ = {libid}                    (with a type library)
//     CLSID\{clsid}\Version            @ = type library version       (with a type library)
//     <ProgID>                         @ = description
//     <ProgID>\CLSID                   @ = {clsid}
//     TypeLib\{libid}\<version>        @ = type library help string
//     TypeLib\{libid}\<version>\0\linux64  @ = library path; FLAGS = 0; HELPDIR = its folder
// plus any extra entries the server lists. unregisterServer() removes the class key, the
// ProgID key (only while it still names this class) and the type library key.
//
// CoCreateInstance reads the InprocServer32 path, loads the library with dlopen(RTLD_NOW) —
// libraries stay loaded until the process ends — calls its DllGetClassObject and the factory's
// CreateInstance. Failures return a status and set error info naming the class, the path and
// the loader's message: REGDB_E_CLASSNOTREG (no such class or no path), CO_E_DLLNOTFOUND (no
// file at the path), CO_E_ERRORINDLL (the file does not load or lacks DllGetClassObject),
// REGDB_E_READREGDB (registry unreadable), or whatever the library's factory returns.
//
// The throwing lumo::com functions are for code inside the system (servers run them in the
// error guard); registry errors arrive as ComError(REGDB_E_READREGDB / REGDB_E_WRITEREGDB).
// Any thread may call.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/Guid.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;

// Present for hosts written against COM; there are no apartments to set up here.
HRESULT CoInitialize(void* pvReserved);
HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit);
void CoUninitialize();

// HKEY_CLASSES_ROOT\<ProgID>\CLSID; REGDB_E_CLASSNOTREG when missing, CO_E_CLASSSTRING when
// the stored value is malformed.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved, REFIID riid,
                         void** ppv);
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         void** ppv);

namespace lumo::com {

struct RegistryEntry {
    std::string keyPath;  // below HKEY_CLASSES_ROOT
    std::string name;     // "" = default value
    std::string value;
};

struct ServerRegistration {
    CLSID clsid = GUID_NULL;
    std::string progId;
    std::string description;
    std::filesystem::path library;  // made absolute when written
    std::string threadingModel = "Apartment";
    std::optional<GUID> typeLibrary;
    std::string typeLibraryVersion = "1.0";
    std::string typeLibraryHelp;
    std::vector<RegistryEntry> extraEntries;
};

void registerServer(const ServerRegistration& registration);
// Removes what registerServer wrote; entries already gone are no error.
void unregisterServer(const ServerRegistration& registration);

// Throwing forms of the functions above, for code inside the system.
CLSID clsidFromProgId(const std::string& progId);
std::filesystem::path inprocServerPath(const CLSID& clsid);
// A new object of a registered class: the interface pointer for iid (one reference), or,
// as createInstance<T>, a ComPtr to the interface T.
void* createInstanceRaw(const CLSID& clsid, const IID& iid);
template <class T>
ComPtr<T> createInstance(const CLSID& clsid) {
    return ComPtr<T>::attach(static_cast<T*>(createInstanceRaw(clsid, InterfaceTraits<T>::iid)));
}

// Absolute path of the loaded file (library or program) that contains the address, e.g. of a
// function of the server itself, so that DllRegisterServer can write its own path.
std::filesystem::path modulePathOf(const void* address);

}  // namespace lumo::com
