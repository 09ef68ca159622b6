#include "app/Lumo_TLB.h"

#include "platform/com/Bstr.h"
#include "platform/com/ComError.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Registration.h"

namespace lumo::app {

namespace {

// DISPIDs of the properties Kestrel uses.
constexpr DISPID kDispVisible = 0xC9;
constexpr DISPID kDispIsAutoRegister = 0x24;
constexpr DISPID kDispRegisterTemplate = 0x0F;
constexpr DISPID kDispVerifyTemplate = 0x13;
constexpr DISPID kDispFingerIndex = 0xDD;
constexpr DISPID kDispCheckFinger = 0x1A;

VARIANT_BOOL toBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

void check(HRESULT hr, const char* member) {
    if (SUCCEEDED(hr)) return;
    std::string description = lumo::com::takeErrorDescription();
    if (description.empty())
        description = std::string(member) + " failed with " + lumo::com::formatHresult(hr);
    throw LumoHostError(description);
}

void checkInvoke(HRESULT hr, EXCEPINFO& info, const char* member) {
    if (hr == DISP_E_EXCEPTION) {
        std::string description = lumo::com::bstrToUtf8(info.bstrDescription);
        lumo::com::clearExcepInfo(&info);
        if (description.empty()) description = std::string(member) + " failed";
        throw LumoHostError(description);
    }
    lumo::com::clearExcepInfo(&info);
    check(hr, member);
}

}  // namespace

TLumoMain::TLumoMain() {
    try {
        m_control = lumo::com::createInstance<ILumoMain>(CLSID_LumoMain);
    } catch (const std::exception& e) {
        throw LumoHostError(e.what());
    }
    if (!m_control) throw LumoHostError("The Lumo control does not offer ILumoMain");
}

TLumoMain::~TLumoMain() = default;

void TLumoMain::putProperty(DISPID id, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    EXCEPINFO info{};
    const HRESULT hr = m_control->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                         &params, nullptr, &info, nullptr);
    checkInvoke(hr, info, "property put");
}

VARIANT TLumoMain::getProperty(DISPID id) {
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO info{};
    const HRESULT hr = m_control->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                         &params, &result, &info, nullptr);
    if (FAILED(hr)) VariantClear(&result);
    checkInvoke(hr, info, "property get");
    return result;
}

void TLumoMain::setVisible(bool visible) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = visible ? VARIANT_TRUE : VARIANT_FALSE;
    putProperty(kDispVisible, v);
}

void TLumoMain::setIsAutoRegister(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    putProperty(kDispIsAutoRegister, v);
}

void TLumoMain::SetLanguageFile(const QString& fileName) {
    lumo::com::Bstr name(fileName.toStdString());
    VARIANT_BOOL result = VARIANT_FALSE;
    check(m_control->SetLanguageFile(name.get(), &result), "SetLanguageFile");
}

bool TLumoMain::Register() {
    VARIANT_BOOL result = VARIANT_FALSE;
    check(m_control->Register(&result), "Register");
    return result != VARIANT_FALSE;
}

QString TLumoMain::RegisterTemplate() {
    VARIANT v = getProperty(kDispRegisterTemplate);
    QString text =
        v.vt == VT_BSTR ? QString::fromStdString(lumo::com::bstrToUtf8(v.bstrVal)) : QString();
    VariantClear(&v);
    return text;
}

int TLumoMain::FingerIndex() {
    VARIANT v = getProperty(kDispFingerIndex);
    VARIANT number;
    VariantInit(&number);
    const HRESULT hr = VariantChangeType(&number, &v, 0, VT_I4);
    VariantClear(&v);
    check(hr, "FingerIndex");
    return number.lVal;
}

bool TLumoMain::GetVerTemplate() {
    VARIANT_BOOL result = VARIANT_FALSE;
    check(m_control->GetVerTemplate(&result), "GetVerTemplate");
    return result != VARIANT_FALSE;
}

QString TLumoMain::VerifyTemplate() {
    VARIANT v = getProperty(kDispVerifyTemplate);
    QString text =
        v.vt == VT_BSTR ? QString::fromStdString(lumo::com::bstrToUtf8(v.bstrVal)) : QString();
    VariantClear(&v);
    return text;
}

bool TLumoMain::MatchFinger(const QString& regTemplate, const QString& verTemplate) {
    lumo::com::Bstr reg(regTemplate.toStdString());
    lumo::com::Bstr ver(verTemplate.toStdString());
    VARIANT_BOOL result = VARIANT_FALSE;
    check(m_control->MatchFinger(reg.get(), ver.get(), &result), "MatchFinger");
    return result != VARIANT_FALSE;
}

void TLumoMain::setCheckFinger(const QString& value) {
    lumo::com::Bstr text(value.toStdString());
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text.get();  // the call copies it; text keeps owning it
    putProperty(kDispCheckFinger, v);
}

bool TLumoMain::Set6FPCardKey(int key1, int key2, int key3, int key4, int key5, int key6) {
    VARIANT_BOOL result = VARIANT_FALSE;
    check(m_control->Set6FPCardKey(key1, key2, key3, key4, key5, key6, &result), "Set6FPCardKey");
    return result != VARIANT_FALSE;
}

bool TLumoMain::SetNew6FPCardKey(int key1, int key2, int key3, int key4, int key5, int key6) {
    VARIANT_BOOL result = VARIANT_FALSE;
    check(m_control->SetNew6FPCardKey(key1, key2, key3, key4, key5, key6, &result),
          "SetNew6FPCardKey");
    return result != VARIANT_FALSE;
}

int TLumoMain::WriteTemplateToCard(const QString& regTemplate, int userId, bool changePwd,
                                   bool extUserIdFmt) {
    lumo::com::Bstr text(regTemplate.toStdString());
    LONG result = -1;
    check(m_control->WriteTemplateToCard(text.get(), userId, toBool(changePwd),
                                         toBool(extUserIdFmt), &result),
          "WriteTemplateToCard");
    return result;
}

int TLumoMain::ReadTemplateFromCard(QString& regTemplate, int& userId, bool extUserIdFmt) {
    // In/out: the control frees what it is given and hands back a string of its own.
    BSTR text = nullptr;
    LONG id = 0;
    LONG result = -1;
    const HRESULT hr = m_control->ReadTemplateFromCard(&text, &id, toBool(extUserIdFmt), &result);
    lumo::com::Bstr owned = lumo::com::Bstr::attach(text);
    check(hr, "ReadTemplateFromCard");
    regTemplate = QString::fromStdString(lumo::com::bstrToUtf8(owned.get()));
    userId = id;
    return result;
}

int TLumoMain::EmptyMFCard(bool extUserIdFmt) {
    LONG result = -1;
    check(m_control->EmptyMFCard(toBool(extUserIdFmt), &result), "EmptyMFCard");
    return result;
}

int TLumoMain::CreateBuffer() {
    LONG result = 0;
    check(m_control->CreateBuffer(&result), "CreateBuffer");
    return result;
}

int TLumoMain::AddRegTemplateToBuffer(int handle, int id, const QString& regTemplate) {
    lumo::com::Bstr text(regTemplate.toStdString());
    LONG result = 0;
    check(m_control->AddRegTemplateToBuffer(handle, id, text.get(), &result),
          "AddRegTemplateToBuffer");
    return result;
}

int TLumoMain::IdentificationTemplateFromBuffer(int handle, const QString& verTemplate) {
    lumo::com::Bstr text(verTemplate.toStdString());
    // Preset to a value no stored identifier has, so a failure reported only by the
    // control's box reads as "nothing found".
    LONG result = -1;
    check(m_control->IdentificationTemplateFromBuffer(handle, text.get(), &result),
          "IdentificationTemplateFromBuffer");
    return result;
}

void TLumoMain::FreeBuffer(int handle) { check(m_control->FreeBuffer(handle), "FreeBuffer"); }

}  // namespace lumo::app
