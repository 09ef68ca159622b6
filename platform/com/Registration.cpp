#include "platform/com/Registration.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <system_error>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComError.h"
#include "platform/com/ErrorGuard.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/ServerExports.h"
#include "platform/com/Utf16.h"
#include "platform/registry/Registry.h"

namespace lumo::com {

namespace {

using registry::Root;

constexpr const char* kTypeLibraryPlatform = "0\\linux64";

std::string classKey(const CLSID& clsid) { return "CLSID\\" + guidToString(clsid); }

template <class Body>
auto readingRegistry(Body&& body) {
    try {
        return body();
    } catch (const registry::RegistryError& e) {
        throw ComError(REGDB_E_READREGDB, std::string("Cannot read the registry: ") + e.what());
    }
}

template <class Body>
void writingRegistry(Body&& body) {
    try {
        body();
    } catch (const registry::RegistryError& e) {
        throw ComError(REGDB_E_WRITEREGDB, std::string("Cannot write the registry: ") + e.what());
    }
}

std::filesystem::path absolutePath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path result = std::filesystem::weakly_canonical(path, error);
    if (error) result = std::filesystem::absolute(path, error);
    return error ? path : result;
}

// Loaded libraries by path; they are never closed.
void* loadLibrary(const CLSID& clsid, const std::filesystem::path& path) {
    static std::mutex mutex;
    static std::map<std::string, void*> loaded;
    std::lock_guard lock(mutex);
    const auto it = loaded.find(path.string());
    if (it != loaded.end()) return it->second;

    const std::string where = "the library " + path.string() + " of class " + guidToString(clsid);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw ComError(CO_E_DLLNOTFOUND, "Cannot find " + where);
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        throw ComError(CO_E_ERRORINDLL,
                       "Cannot load " + where + ": " + (reason ? reason : "unknown reason"));
    }
    loaded.emplace(path.string(), handle);
    return handle;
}

void* classObject(const CLSID& clsid, const IID& iid) {
    const std::filesystem::path path = inprocServerPath(clsid);
    void* handle = loadLibrary(clsid, path);
    dlerror();
    auto entry = reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject"));
    if (!entry) {
        throw ComError(CO_E_ERRORINDLL,
                       "The library " + path.string() + " does not export DllGetClassObject");
    }
    clearErrorInfo();
    void* object = nullptr;
    const HRESULT hr = entry(clsid, iid, &object);
    if (FAILED(hr) || !object) {
        std::string description = takeErrorDescription();
        if (description.empty()) {
            description = "The library " + path.string() + " does not provide class " +
                          guidToString(clsid) + " (" + formatHresult(hr) + ")";
        }
        throw ComError(FAILED(hr) ? hr : E_UNEXPECTED, description);
    }
    return object;
}

}  // namespace

CLSID clsidFromProgId(const std::string& progId) {
    const auto value = readingRegistry(
        [&] { return registry::readValue(Root::ClassesRoot, progId + "\\CLSID", ""); });
    if (progId.empty() || !value) {
        throw ComError(REGDB_E_CLASSNOTREG, "The ProgID \"" + progId + "\" is not registered");
    }
    const auto clsid = tryParseGuid(*value);
    if (!clsid) {
        throw ComError(CO_E_CLASSSTRING, "The ProgID \"" + progId +
                                             "\" is registered with a malformed CLSID \"" + *value +
                                             "\"");
    }
    return *clsid;
}

std::filesystem::path inprocServerPath(const CLSID& clsid) {
    const auto value = readingRegistry([&] {
        return registry::readValue(Root::ClassesRoot, classKey(clsid) + "\\InprocServer32", "");
    });
    if (!value || value->empty()) {
        throw ComError(REGDB_E_CLASSNOTREG,
                       "The class " + guidToString(clsid) + " is not registered");
    }
    return *value;
}

void* createInstanceRaw(const CLSID& clsid, const IID& iid) {
    auto* factory = static_cast<IClassFactory*>(classObject(clsid, IID_IClassFactory));
    const auto owned = ComPtr<IClassFactory>::attach(factory);
    clearErrorInfo();
    void* object = nullptr;
    const HRESULT hr = factory->CreateInstance(nullptr, iid, &object);
    if (FAILED(hr) || !object) {
        std::string description = takeErrorDescription();
        if (description.empty()) {
            description = "Creating an object of class " + guidToString(clsid) + " failed (" +
                          formatHresult(hr) + ")";
        }
        throw ComError(FAILED(hr) ? hr : E_UNEXPECTED, description);
    }
    return object;
}

void registerServer(const ServerRegistration& r) {
    if (r.progId.empty()) throw ComError(E_INVALIDARG, "A server needs a ProgID");
    if (r.library.empty()) throw ComError(E_INVALIDARG, "A server needs its library path");
    const std::string library = absolutePath(r.library).string();
    const std::string clsid = guidToString(r.clsid);
    const std::string key = classKey(r.clsid);
    writingRegistry([&] {
        registry::writeValue(Root::ClassesRoot, key, "", r.description);
        registry::writeValue(Root::ClassesRoot, key + "\\InprocServer32", "", library);
        registry::writeValue(Root::ClassesRoot, key + "\\InprocServer32", "ThreadingModel",
                             r.threadingModel);
        registry::writeValue(Root::ClassesRoot, key + "\\ProgID", "", r.progId);
        registry::writeValue(Root::ClassesRoot, r.progId, "", r.description);
        registry::writeValue(Root::ClassesRoot, r.progId + "\\CLSID", "", clsid);
        if (r.typeLibrary) {
            const std::string libid = guidToString(*r.typeLibrary);
            const std::string libKey = "TypeLib\\" + libid + "\\" + r.typeLibraryVersion;
            registry::writeValue(Root::ClassesRoot, key + "\\TypeLib", "", libid);
            registry::writeValue(Root::ClassesRoot, key + "\\Version", "", r.typeLibraryVersion);
            registry::writeValue(Root::ClassesRoot, libKey, "", r.typeLibraryHelp);
            registry::writeValue(Root::ClassesRoot, libKey + "\\" + kTypeLibraryPlatform, "",
                                 library);
            registry::writeValue(Root::ClassesRoot, libKey + "\\FLAGS", "", "0");
            registry::writeValue(Root::ClassesRoot, libKey + "\\HELPDIR", "",
                                 std::filesystem::path(library).parent_path().string());
        }
        for (const RegistryEntry& e : r.extraEntries) {
            registry::writeValue(Root::ClassesRoot, e.keyPath, e.name, e.value);
        }
    });
}

void unregisterServer(const ServerRegistration& r) {
    const std::string clsid = guidToString(r.clsid);
    writingRegistry([&] {
        for (const RegistryEntry& e : r.extraEntries) {
            registry::deleteValue(Root::ClassesRoot, e.keyPath, e.name);
        }
        registry::deleteKeyTree(Root::ClassesRoot, classKey(r.clsid));
        // Another server may have taken the ProgID over since; its entry stays.
        if (!r.progId.empty()) {
            const auto owner = registry::readValue(Root::ClassesRoot, r.progId + "\\CLSID", "");
            const auto ownerClsid = owner ? tryParseGuid(*owner) : std::nullopt;
            if (!owner || (ownerClsid && *ownerClsid == r.clsid)) {
                registry::deleteKeyTree(Root::ClassesRoot, r.progId);
            }
        }
        if (r.typeLibrary) {
            registry::deleteKeyTree(Root::ClassesRoot, "TypeLib\\" + guidToString(*r.typeLibrary));
        }
    });
}

std::filesystem::path modulePathOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) {
        throw ComError(E_FAIL, "Cannot tell which library holds this code");
    }
    const std::filesystem::path path = absolutePath(info.dli_fname);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        // The program itself is reported by the name it was started with.
        const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error) return self;
    }
    return path;
}

}  // namespace lumo::com

HRESULT CoInitialize(void*) { return S_OK; }

HRESULT CoInitializeEx(void*, DWORD) { return S_OK; }

void CoUninitialize() {}

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
    if (!lpszProgID || !lpclsid) return E_INVALIDARG;
    return lumo::com::guarded([&] {
        *lpclsid =
            lumo::com::clsidFromProgId(lumo::com::utf16ToUtf8(std::u16string_view(lpszProgID)));
    });
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void*, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) {
        lumo::com::setErrorInfo("Only in-process servers are available here");
        return REGDB_E_CLASSNOTREG;
    }
    return lumo::com::guarded([&] { *ppv = lumo::com::classObject(rclsid, riid); });
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) {
        lumo::com::setErrorInfo("Only in-process servers are available here");
        return REGDB_E_CLASSNOTREG;
    }
    return lumo::com::guarded([&] { *ppv = lumo::com::createInstanceRaw(rclsid, riid); });
}
