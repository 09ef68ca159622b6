// Error info: the description that travels with a failing COM call.
//
// A failing method calls SetErrorInfo (or lumo::com::setErrorInfo) before it returns its
// HRESULT; the caller takes it with GetErrorInfo, which hands over the reference and clears
// the slot, as on Windows. The slot is per thread and shared by every library of the process,
// so a server library's error reaches the host that called it. S_FALSE from GetErrorInfo means
// there is none.
#pragma once

#include <string>

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ICreateErrorInfo = {
    0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ISupportErrorInfo = {
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

class IErrorInfo : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) = 0;

protected:
    ~IErrorInfo() = default;
};
LUMO_COM_INTERFACE(IErrorInfo, IUnknown, IID_IErrorInfo);

class ICreateErrorInfo : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR szSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR szDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR szHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) = 0;

protected:
    ~ICreateErrorInfo() = default;
};
LUMO_COM_INTERFACE(ICreateErrorInfo, IUnknown, IID_ICreateErrorInfo);

class ISupportErrorInfo : public IUnknown {
public:
    // S_OK when the interface's methods set error info on failure, else S_FALSE.
    virtual HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};
LUMO_COM_INTERFACE(ISupportErrorInfo, IUnknown, IID_ISupportErrorInfo);

// Replaces the thread's error info (null clears it); takes its own reference.
HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
// Hands the thread's error info to the caller (who releases it) and clears the slot;
// S_FALSE and null when there is none.
HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);
HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);

namespace lumo::com {

// Sets the thread's error info to a new object with this description (UTF-8).
void setErrorInfo(const std::string& description, const std::string& source = {},
                  const GUID& iid = GUID_NULL);
void clearErrorInfo();
// Takes the thread's error info (clearing it) and returns its description; "" when none.
std::string takeErrorDescription();

}  // namespace lumo::com
