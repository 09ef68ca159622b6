// IClassFactory, through which CoCreateInstance asks a server library for a new object.
#pragma once

#include "platform/com/Unknown.h"

inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IClassFactory : public IUnknown {
public:
    // pUnkOuter must be null: aggregation is answered with CLASS_E_NOAGGREGATION.
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                     void** ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};
LUMO_COM_INTERFACE(IClassFactory, IUnknown, IID_IClassFactory);
