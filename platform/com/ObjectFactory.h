// ObjectFactory: the IClassFactory a server library hands out from DllGetClassObject.
//
//     HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
//         if (clsid != CLSID_LumoMain) return CLASS_E_CLASSNOTAVAILABLE;
//         auto factory = lumo::com::makeObject<lumo::com::ObjectFactory>(
//             [] { return lumo::com::ComPtr<IUnknown>(lumo::com::makeObject<TLumoMain>()); });
//         return factory->QueryInterface(iid, ppv);
//     }
//
// CreateInstance refuses aggregation (CLASS_E_NOAGGREGATION), runs the creator inside the
// error guard (an exception becomes its HRESULT and error info) and asks the new object for
// the requested interface. LockServer counts into moduleLockCount(); canUnloadNow() is what
// DllCanUnloadNow returns.
#pragma once

#include <functional>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComObject.h"

namespace lumo::com {

class ObjectFactory final : public ComObject<ObjectFactory, IClassFactory> {
public:
    using Creator = std::function<ComPtr<IUnknown>()>;

    explicit ObjectFactory(Creator creator) : m_creator(std::move(creator)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                             void** ppvObject) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

private:
    Creator m_creator;
};

// S_OK when this library has no live objects and no locks, else S_FALSE.
HRESULT canUnloadNow();

}  // namespace lumo::com
