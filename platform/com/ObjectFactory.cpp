#include "platform/com/ObjectFactory.h"

#include "platform/com/ErrorGuard.h"

namespace lumo::com {

HRESULT ObjectFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    return guarded([&]() -> HRESULT {
        ComPtr<IUnknown> object = m_creator();
        if (!object) throw ComError(E_UNEXPECTED, "The class factory made no object");
        return object->QueryInterface(riid, ppvObject);
    });
}

HRESULT ObjectFactory::LockServer(BOOL fLock) {
    if (fLock) {
        ++internal::moduleLocks();
    } else if (internal::moduleLocks().fetch_sub(1) <= 0) {
        // More unlocks than locks: keep the count sane and say so.
        ++internal::moduleLocks();
        return E_UNEXPECTED;
    }
    return S_OK;
}

HRESULT canUnloadNow() {
    return moduleObjectCount() == 0 && moduleLockCount() == 0 ? S_OK : S_FALSE;
}

}  // namespace lumo::com
