#include "platform/com/ErrorInfo.h"

#include "platform/com/ComObject.h"
#include "platform/com/Utf16.h"
#include "platform/com/internal/Runtime.h"

namespace lumo::com {

namespace {

class ErrorInfoObject final : public ComObject<ErrorInfoObject, IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) override {
        if (!pGUID) return E_INVALIDARG;
        *pGUID = m_guid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* out) override { return copyOut(m_source, out); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* out) override {
        return copyOut(m_description, out);
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* out) override { return copyOut(m_helpFile, out); }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* out) override {
        if (!out) return E_INVALIDARG;
        *out = m_helpContext;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID guid) override {
        m_guid = guid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR text) override { return store(m_source, text); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR text) override {
        return store(m_description, text);
    }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR text) override {
        return store(m_helpFile, text);
    }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD context) override {
        m_helpContext = context;
        return S_OK;
    }

private:
    static HRESULT copyOut(const std::u16string& text, BSTR* out) {
        if (!out) return E_INVALIDARG;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT store(std::u16string& field, LPOLESTR text) {
        try {
            field = text ? std::u16string(text) : std::u16string();
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    GUID m_guid = GUID_NULL;
    std::u16string m_source;
    std::u16string m_description;
    std::u16string m_helpFile;
    DWORD m_helpContext = 0;
};

pthread_key_t slotKey() { return internal::runtime().errorInfoKey; }

}  // namespace

void setErrorInfo(const std::string& description, const std::string& source, const GUID& iid) {
    auto info = makeObject<ErrorInfoObject>();
    std::u16string text = utf8ToUtf16(description);
    info->SetDescription(text.data());
    text = utf8ToUtf16(source);
    info->SetSource(text.data());
    info->SetGUID(iid);
    SetErrorInfo(0, info.get());
}

void clearErrorInfo() { SetErrorInfo(0, nullptr); }

std::string takeErrorDescription() {
    IErrorInfo* raw = nullptr;
    if (GetErrorInfo(0, &raw) != S_OK || !raw) return {};
    auto info = ComPtr<IErrorInfo>::attach(raw);
    Bstr description;
    if (FAILED(info->GetDescription(description.out()))) return {};
    return description.toUtf8();
}

}  // namespace lumo::com

HRESULT SetErrorInfo(ULONG, IErrorInfo* perrinfo) {
    const pthread_key_t key = lumo::com::slotKey();
    if (perrinfo) perrinfo->AddRef();
    auto* previous = static_cast<IErrorInfo*>(pthread_getspecific(key));
    if (pthread_setspecific(key, perrinfo) != 0) {
        if (perrinfo) perrinfo->Release();
        return E_OUTOFMEMORY;
    }
    if (previous) previous->Release();
    return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** pperrinfo) {
    if (!pperrinfo) return E_INVALIDARG;
    const pthread_key_t key = lumo::com::slotKey();
    *pperrinfo = static_cast<IErrorInfo*>(pthread_getspecific(key));
    if (!*pperrinfo) return S_FALSE;
    pthread_setspecific(key, nullptr);
    return S_OK;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
    if (!pperrinfo) return E_INVALIDARG;
    try {
        *pperrinfo = lumo::com::makeObject<lumo::com::ErrorInfoObject>().detach();
        return S_OK;
    } catch (...) {
        *pperrinfo = nullptr;
        return E_OUTOFMEMORY;
    }
}
