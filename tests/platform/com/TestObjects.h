// Small objects for the COM layer's tests.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

namespace lumo::com::test {

// An IDispatch that answers nothing but counts its references and notes its destruction.
class CountedDispatch final : public ComObject<CountedDispatch, IDispatch> {
public:
    explicit CountedDispatch(bool* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~CountedDispatch() override {
        if (m_destroyed) *m_destroyed = true;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    bool* m_destroyed;
};

}  // namespace lumo::com::test
