// FormFont: the Font property of the control, a font dispatch object bound to the form.
//
// IFontDisp is dispatch-only; its properties, by their standard DISPIDs: Name (0, string),
// Size (2, points as a 32-bit integer), Bold (3), Italic (4), Underline (5), Strikethrough (6),
// Weight (7, 16-bit: 400 normal, 700 bold) and Charset (8, the Windows character set number
// the form keeps in its "charset" property). Reading a property reads the form's font at that
// moment; writing one changes the form's font at once. Once the form is gone every access
// fails with E_UNEXPECTED.
//
// copyFontTo() copies those properties from any font dispatch object onto a form (the Font
// put of the control); properties the object does not answer are left as they are.
// GUI thread only.
#pragma once

#include <QPointer>
#include <QWidget>

#include "control/resources/Lumo_TLB.h"
#include "platform/com/ComObject.h"

namespace lumo::control {

class FormFont final : public com::ComObject<FormFont, IFontDisp> {
public:
    explicit FormFont(QWidget* form) : m_form(form) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                            LCID lcid, DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // The members behind the dispatch table.
    HRESULT getName(BSTR* value);
    HRESULT putName(BSTR value);
    HRESULT getSize(LONG* value);
    HRESULT putSize(LONG value);
    HRESULT getFlag(int which, VARIANT_BOOL* value);
    HRESULT putFlag(int which, VARIANT_BOOL value);
    HRESULT getWeight(SHORT* value);
    HRESULT putWeight(SHORT value);
    HRESULT getCharset(SHORT* value);
    HRESULT putCharset(SHORT value);

private:
    QPointer<QWidget> m_form;
};

// Throws ComError(E_POINTER) for a null font.
void copyFontTo(IDispatch* font, QWidget& form);

}  // namespace lumo::control
