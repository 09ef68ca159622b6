#include "control/core/FormFont.h"

#include <QFont>
#include <algorithm>

#include "platform/com/Bstr.h"
#include "platform/com/ComError.h"
#include "platform/com/DispatchTable.h"
#include "platform/com/ErrorGuard.h"

namespace lumo::control {

namespace {

using com::DispatchCall;
using com::MemberKind;

constexpr DISPID kName = 0;
constexpr DISPID kSize = 2;
constexpr DISPID kBold = 3;
constexpr DISPID kItalic = 4;
constexpr DISPID kUnderline = 5;
constexpr DISPID kStrikethrough = 6;
constexpr DISPID kWeight = 7;
constexpr DISPID kCharset = 8;
constexpr const char* kCharsetProperty = "charset";
constexpr SHORT kDefaultCharset = 1;

const com::DispatchTable<FormFont>& fontTable() {
    using K = MemberKind;
    static const com::DispatchTable<FormFont> table({
        {"Name",
         kName,
         K::PropertyGet,
         {},
         VT_BSTR,
         [](FormFont& f, DispatchCall& c) { return f.getName(c.bstrResult()); }},
        {"Name",
         kName,
         K::PropertyPut,
         {{"Value", VT_BSTR}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putName(c.bstr(0)); }},
        {"Size",
         kSize,
         K::PropertyGet,
         {},
         VT_I4,
         [](FormFont& f, DispatchCall& c) { return f.getSize(c.i4Result()); }},
        {"Size",
         kSize,
         K::PropertyPut,
         {{"Value", VT_I4}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putSize(c.i4(0)); }},
        {"Bold",
         kBold,
         K::PropertyGet,
         {},
         VT_BOOL,
         [](FormFont& f, DispatchCall& c) { return f.getFlag(kBold, c.boolResult()); }},
        {"Bold",
         kBold,
         K::PropertyPut,
         {{"Value", VT_BOOL}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putFlag(kBold, c.boolean(0)); }},
        {"Italic",
         kItalic,
         K::PropertyGet,
         {},
         VT_BOOL,
         [](FormFont& f, DispatchCall& c) { return f.getFlag(kItalic, c.boolResult()); }},
        {"Italic",
         kItalic,
         K::PropertyPut,
         {{"Value", VT_BOOL}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putFlag(kItalic, c.boolean(0)); }},
        {"Underline",
         kUnderline,
         K::PropertyGet,
         {},
         VT_BOOL,
         [](FormFont& f, DispatchCall& c) { return f.getFlag(kUnderline, c.boolResult()); }},
        {"Underline",
         kUnderline,
         K::PropertyPut,
         {{"Value", VT_BOOL}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putFlag(kUnderline, c.boolean(0)); }},
        {"Strikethrough",
         kStrikethrough,
         K::PropertyGet,
         {},
         VT_BOOL,
         [](FormFont& f, DispatchCall& c) { return f.getFlag(kStrikethrough, c.boolResult()); }},
        {"Strikethrough",
         kStrikethrough,
         K::PropertyPut,
         {{"Value", VT_BOOL}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putFlag(kStrikethrough, c.boolean(0)); }},
        {"Weight",
         kWeight,
         K::PropertyGet,
         {},
         VT_I2,
         [](FormFont& f, DispatchCall& c) { return f.getWeight(c.i2Result()); }},
        {"Weight",
         kWeight,
         K::PropertyPut,
         {{"Value", VT_I2}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putWeight(c.i2(0)); }},
        {"Charset",
         kCharset,
         K::PropertyGet,
         {},
         VT_I2,
         [](FormFont& f, DispatchCall& c) { return f.getCharset(c.i2Result()); }},
        {"Charset",
         kCharset,
         K::PropertyPut,
         {{"Value", VT_I2}},
         VT_EMPTY,
         [](FormFont& f, DispatchCall& c) { return f.putCharset(c.i2(0)); }},
    });
    return table;
}

HRESULT formGone() {
    return com::guarded([]() -> HRESULT {
        throw com::ComError(E_UNEXPECTED, "The control's form no longer exists");
    });
}

// Windows weights (100..900) and Qt's QFont::Weight use the same scale.
QFont::Weight qtWeight(SHORT weight) {
    return static_cast<QFont::Weight>(std::clamp<int>(weight, 1, 1000));
}

// Reads one property of a font dispatch object; false when the object does not give it.
bool readProperty(IDispatch* font, DISPID id, VARTYPE type, VARIANT& out) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT raw;
    VariantInit(&raw);
    if (FAILED(font->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &raw,
                            nullptr, nullptr)))
        return false;
    VariantInit(&out);
    const HRESULT hr = VariantChangeType(&out, &raw, 0, type);
    VariantClear(&raw);
    return SUCCEEDED(hr);
}

}  // namespace

HRESULT FormFont::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT FormFont::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo) *ppTInfo = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT FormFont::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                DISPID* rgDispId) {
    return fontTable().getIDsOfNames(riid, rgszNames, cNames, rgDispId);
}

HRESULT FormFont::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                         UINT* puArgErr) {
    return fontTable().invoke(*this, dispIdMember, riid, wFlags, pDispParams, pVarResult,
                              pExcepInfo, puArgErr);
}

HRESULT FormFont::getName(BSTR* value) {
    if (!m_form) return formGone();
    return com::guarded([&] { *value = com::allocBstr(m_form->font().family().toStdString()); });
}

HRESULT FormFont::putName(BSTR value) {
    if (!m_form) return formGone();
    return com::guarded([&] {
        QFont f = m_form->font();
        f.setFamily(QString::fromStdString(com::bstrToUtf8(value)));
        m_form->setFont(f);
    });
}

HRESULT FormFont::getSize(LONG* value) {
    if (!m_form) return formGone();
    const QFont f = m_form->font();
    // A size set in pixels reads as points at 96 pixels per inch.
    *value = f.pointSize() > 0 ? f.pointSize() : (f.pixelSize() * 72 + 48) / 96;
    return S_OK;
}

HRESULT FormFont::putSize(LONG value) {
    if (!m_form) return formGone();
    if (value <= 0)
        return com::guarded(
            [&] { throw com::ComError(E_INVALIDARG, "A font size must be greater than 0"); });
    QFont f = m_form->font();
    f.setPointSize(int(value));
    m_form->setFont(f);
    return S_OK;
}

HRESULT FormFont::getFlag(int which, VARIANT_BOOL* value) {
    if (!m_form) return formGone();
    const QFont f = m_form->font();
    bool on = false;
    switch (which) {
        case kBold:
            on = f.bold();
            break;
        case kItalic:
            on = f.italic();
            break;
        case kUnderline:
            on = f.underline();
            break;
        case kStrikethrough:
            on = f.strikeOut();
            break;
        default:
            break;
    }
    *value = on ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FormFont::putFlag(int which, VARIANT_BOOL value) {
    if (!m_form) return formGone();
    QFont f = m_form->font();
    const bool on = value != VARIANT_FALSE;
    switch (which) {
        case kBold:
            f.setBold(on);
            break;
        case kItalic:
            f.setItalic(on);
            break;
        case kUnderline:
            f.setUnderline(on);
            break;
        case kStrikethrough:
            f.setStrikeOut(on);
            break;
        default:
            break;
    }
    m_form->setFont(f);
    return S_OK;
}

HRESULT FormFont::getWeight(SHORT* value) {
    if (!m_form) return formGone();
    *value = static_cast<SHORT>(m_form->font().weight());
    return S_OK;
}

HRESULT FormFont::putWeight(SHORT value) {
    if (!m_form) return formGone();
    QFont f = m_form->font();
    f.setWeight(qtWeight(value));
    m_form->setFont(f);
    return S_OK;
}

HRESULT FormFont::getCharset(SHORT* value) {
    if (!m_form) return formGone();
    const QVariant charset = m_form->property(kCharsetProperty);
    *value = charset.isValid() ? static_cast<SHORT>(charset.toInt()) : kDefaultCharset;
    return S_OK;
}

HRESULT FormFont::putCharset(SHORT value) {
    if (!m_form) return formGone();
    m_form->setProperty(kCharsetProperty, int(value & 0xFF));
    return S_OK;
}

void copyFontTo(IDispatch* font, QWidget& form) {
    if (!font) throw com::ComError(E_POINTER, "No font given");
    QFont f = form.font();
    VARIANT v;
    if (readProperty(font, kName, VT_BSTR, v)) {
        f.setFamily(QString::fromStdString(com::bstrToUtf8(V_BSTR(&v))));
        VariantClear(&v);
    }
    if (readProperty(font, kSize, VT_I4, v) && V_I4(&v) > 0) f.setPointSize(int(V_I4(&v)));
    if (readProperty(font, kBold, VT_BOOL, v)) f.setBold(V_BOOL(&v) != VARIANT_FALSE);
    if (readProperty(font, kItalic, VT_BOOL, v)) f.setItalic(V_BOOL(&v) != VARIANT_FALSE);
    if (readProperty(font, kUnderline, VT_BOOL, v)) f.setUnderline(V_BOOL(&v) != VARIANT_FALSE);
    if (readProperty(font, kStrikethrough, VT_BOOL, v)) f.setStrikeOut(V_BOOL(&v) != VARIANT_FALSE);
    if (readProperty(font, kWeight, VT_I2, v)) f.setWeight(qtWeight(V_I2(&v)));
    form.setFont(f);
    if (readProperty(font, kCharset, VT_I2, v))
        form.setProperty(kCharsetProperty, int(V_I2(&v) & 0xFF));
}

}  // namespace lumo::control
