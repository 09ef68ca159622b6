#include "control/core/VIZErevorMainImpl.h"

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <exception>
#include <filesystem>
#include <new>
#include <utility>

#include "control/card/CardOperations.h"
#include "control/card/TemplateCipher.h"
#include "control/core/ControlMessages.h"
#include "control/core/DialogPlacement.h"
#include "control/core/EngineStart.h"
#include "control/core/FingerTemplateTables.h"
#include "control/core/FormFont.h"
#include "control/core/QtMessagePresenter.h"
#include "control/dialogs/Check.h"
#include "control/dialogs/ImgFinger.h"
#include "control/dialogs/Register.h"
#include "control/language/LangStr.h"
#include "control/resources/LumoMembers.h"
#include "platform/com/ComError.h"
#include "platform/com/ErrorGuard.h"
#include "platform/win/SystemDirectory.h"

namespace lumo::control {

using com::Bstr;
using com::ComError;
using com::ComPtr;

namespace {

constexpr const char* kSource = "Lumo.LumoMain";

VARIANT_BOOL toVariantBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

// Runs a member body: any error becomes a failing HRESULT with the message as error info.
template <class Body>
HRESULT guarded(Body&& body) noexcept {
    return com::guarded(std::forward<Body>(body), kSource, IID_ILumoMain);
}

template <class T>
void requireOut(T* p) {
    if (!p) throw ComError(E_POINTER, "A result pointer is null");
}

void setByteArray(VARIANT* out, const engine::TemplateValue& bytes) {
    SAFEARRAY* array = com::byteArrayFromVector(bytes);
    V_VT(out) = VT_ARRAY | VT_UI1;
    V_ARRAY(out) = array;
}

QColor fromOleColor(OLE_COLOR c) {
    // OLE colours are 0x00BBGGRR; system colours (high bit set) are not used on this form.
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

OLE_COLOR toOleColor(const QColor& c) {
    return OLE_COLOR(c.red()) | (OLE_COLOR(c.green()) << 8) | (OLE_COLOR(c.blue()) << 16);
}

}  // namespace

// --- life cycle ----------------------------------------------------------------------------

TLumoMain::TLumoMain(std::shared_ptr<engine::IFPEngine> engine,
                     std::shared_ptr<MessagePresenter> presenter)
    : m_engine(std::move(engine)),
      m_presenter(presenter ? std::move(presenter) : std::make_shared<QtMessagePresenter>()) {
    if (!m_engine) throw ComError(E_POINTER, "The control needs an engine");
    if (!QApplication::instance())
        throw ComError(E_UNEXPECTED, "The host has no QApplication: create it before the control");
    m_form = new LumoForm();
    try {
        ActiveFormCreate();
        Initialize();
    } catch (...) {
        delete m_form.data();
        throw;
    }
}

TLumoMain::~TLumoMain() {
    if (m_form) {
        fireEvent(LumoEventDispId::OnDestroy);
        m_form->events = {};
        delete m_form.data();
    }
}

void TLumoMain::ActiveFormCreate() {
    m_registerTemplate.clear();
    m_verifyTemplate.clear();
    m_verifyCount = 3;
    m_checkFinger.clear();
    m_defaultFinger = 0;
    m_windowCloseSeconds = 0;
    m_verHint.clear();
    m_autoRegister = false;

    try {
        m_engine->setEnrollCount(4);
        m_engine->setFPEngineVersion("9");
    } catch (const std::exception& e) {
        // Reported like any error of a form's creation handler; the control still comes up.
        showError(e.what());
    }

    m_systemDirectory = win::systemDirectory();
    if (m_systemDirectory.empty() || m_systemDirectory.back() != '/') m_systemDirectory += '/';

    VARIANT_BOOL loaded = VARIANT_FALSE;
    Bstr name("lumo.en");
    if (FAILED(SetLanguageFile(name.get(), &loaded))) {
        // Reported the same way. The remaining steps still run, so that a bad language file
        // cannot leave the control with an unusable finger status or card key.
        showError(com::takeErrorDescription());
    }

    if (QString::fromStdString(m_checkFinger).trimmed().isEmpty()) m_checkFinger = "0000000000";
    m_cardKey.fill(0xFF);
}

void TLumoMain::Initialize() {
    FormEvents& e = m_form->events;
    e.activate = [this] { fireEvent(LumoEventDispId::OnActivate); };
    e.click = [this] { fireEvent(LumoEventDispId::OnClick); };
    e.dblClick = [this] { fireEvent(LumoEventDispId::OnDblClick); };
    e.deactivate = [this] { fireEvent(LumoEventDispId::OnDeactivate); };
    e.keyPress = [this](short key) { return fireKeyPress(key); };
    e.paint = [this] { fireEvent(LumoEventDispId::OnPaint); };
}

bool TLumoMain::hasEventSink() const { return m_events.point().hasSinks(); }

void TLumoMain::fireEvent(DISPID dispid) {
    // A sink's failure is the sink's business; without a sink nothing is sent.
    m_events.point().fire(dispid);
}

short TLumoMain::fireKeyPress(short key) {
    if (!m_events.point().hasSinks()) return key;
    SHORT value = key;
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BYREF | VT_I2;
    arg.piVal = &value;
    m_events.point().fire(LumoEventDispId::OnKeyPress, {arg});
    return value;
}

void TLumoMain::setMessagePresenter(std::shared_ptr<MessagePresenter> presenter) {
    m_presenter = presenter ? std::move(presenter) : std::make_shared<QtMessagePresenter>();
}

void TLumoMain::showError(const std::string& text) {
    m_presenter->show(m_form, {MessageIcon::Error, text, MessageButtons::Ok});
}

bool TLumoMain::EnsureEngine() { return ensureEngine(*m_engine, *m_presenter, m_form); }

// --- IDispatch -----------------------------------------------------------------------------

HRESULT TLumoMain::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT TLumoMain::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo) *ppTInfo = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TLumoMain::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                 DISPID* rgDispId) {
    return lumoMemberTable().getIDsOfNames(riid, rgszNames, cNames, rgDispId);
}

HRESULT TLumoMain::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                          DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                          UINT* puArgErr) {
    return lumoMemberTable().invoke(static_cast<ILumoMain&>(*this), dispIdMember, riid, wFlags,
                                    pDispParams, pVarResult, pExcepInfo, puArgErr);
}

// --- inherited form properties --------------------------------------------------------------
// Plain accessors: they cannot fail, apart from a null result pointer.

#define LUMO_GET_FIELD(Name, Type, expr)         \
    HRESULT TLumoMain::get_##Name(Type* Value) { \
        if (!Value) return E_POINTER;            \
        *Value = (expr);                         \
        return S_OK;                             \
    }

LUMO_GET_FIELD(Visible, VARIANT_BOOL, toVariantBool(m_form && m_form->isVisible()))
HRESULT TLumoMain::put_Visible(VARIANT_BOOL Value) {
    if (m_form) m_form->setVisible(Value != VARIANT_FALSE);
    return S_OK;
}
LUMO_GET_FIELD(AutoScroll, VARIANT_BOOL, toVariantBool(m_autoScroll))
HRESULT TLumoMain::put_AutoScroll(VARIANT_BOOL Value) {
    m_autoScroll = Value != VARIANT_FALSE;
    return S_OK;
}
LUMO_GET_FIELD(AutoSize, VARIANT_BOOL, toVariantBool(m_autoSize))
HRESULT TLumoMain::put_AutoSize(VARIANT_BOOL Value) {
    m_autoSize = Value != VARIANT_FALSE;
    return S_OK;
}
LUMO_GET_FIELD(AxBorderStyle, TxActiveFormBorderStyle, m_axBorderStyle)
HRESULT TLumoMain::put_AxBorderStyle(TxActiveFormBorderStyle Value) {
    m_axBorderStyle = Value;
    return S_OK;
}

HRESULT TLumoMain::get_Caption(BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(m_form ? m_form->windowTitle().toStdString() : std::string());
    });
}

HRESULT TLumoMain::put_Caption(BSTR Value) {
    return guarded([&] {
        if (m_form) m_form->setWindowTitle(QString::fromStdString(com::bstrToUtf8(Value)));
    });
}

LUMO_GET_FIELD(Color, OLE_COLOR,
               toOleColor(m_form ? m_form->palette().color(QPalette::Window) : QColor(Qt::white)))
HRESULT TLumoMain::put_Color(OLE_COLOR Value) {
    if (m_form) {
        QPalette pal = m_form->palette();
        pal.setColor(QPalette::Window, fromOleColor(Value));
        m_form->setPalette(pal);
    }
    return S_OK;
}

HRESULT TLumoMain::get_Font(IFontDisp** Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        if (!m_form) throw ComError(E_UNEXPECTED, "The control's form no longer exists");
        *Value = com::makeObject<FormFont>(m_form.data()).detach();
    });
}

HRESULT TLumoMain::put_Font(IFontDisp* Value) {
    return guarded([&] {
        if (!m_form) throw ComError(E_UNEXPECTED, "The control's form no longer exists");
        copyFontTo(Value, *m_form);
    });
}

HRESULT TLumoMain::putref_Font(IFontDisp** Value) {
    return guarded([&] {
        if (!Value) throw ComError(E_POINTER, "No font given");
        if (!m_form) throw ComError(E_UNEXPECTED, "The control's form no longer exists");
        copyFontTo(*Value, *m_form);
    });
}

LUMO_GET_FIELD(KeyPreview, VARIANT_BOOL, toVariantBool(m_keyPreview))
HRESULT TLumoMain::put_KeyPreview(VARIANT_BOOL Value) {
    m_keyPreview = Value != VARIANT_FALSE;
    return S_OK;
}
LUMO_GET_FIELD(PixelsPerInch, LONG, m_pixelsPerInch)
HRESULT TLumoMain::put_PixelsPerInch(LONG Value) {
    m_pixelsPerInch = Value;
    return S_OK;
}
LUMO_GET_FIELD(PrintScale, TxPrintScale, m_printScale)
HRESULT TLumoMain::put_PrintScale(TxPrintScale Value) {
    m_printScale = Value;
    return S_OK;
}
LUMO_GET_FIELD(Scaled, VARIANT_BOOL, toVariantBool(m_scaled))
HRESULT TLumoMain::put_Scaled(VARIANT_BOOL Value) {
    m_scaled = Value != VARIANT_FALSE;
    return S_OK;
}
LUMO_GET_FIELD(Active, VARIANT_BOOL, toVariantBool(m_form && m_form->isActiveWindow()))
LUMO_GET_FIELD(DropTarget, VARIANT_BOOL, toVariantBool(m_dropTarget))
HRESULT TLumoMain::put_DropTarget(VARIANT_BOOL Value) {
    m_dropTarget = Value != VARIANT_FALSE;
    return S_OK;
}

HRESULT TLumoMain::get_HelpFile(BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(m_helpFile);
    });
}

HRESULT TLumoMain::put_HelpFile(BSTR Value) {
    return guarded([&] { m_helpFile = com::bstrToUtf8(Value); });
}

LUMO_GET_FIELD(DoubleBuffered, VARIANT_BOOL, toVariantBool(m_doubleBuffered))
HRESULT TLumoMain::put_DoubleBuffered(VARIANT_BOOL Value) {
    m_doubleBuffered = Value != VARIANT_FALSE;
    return S_OK;
}
// No dock clients can be docked on this form.
LUMO_GET_FIELD(VisibleDockClientCount, LONG, 0)
LUMO_GET_FIELD(Enabled, VARIANT_BOOL, toVariantBool(m_form && m_form->isEnabled()))
HRESULT TLumoMain::put_Enabled(VARIANT_BOOL Value) {
    if (m_form) m_form->setEnabled(Value != VARIANT_FALSE);
    return S_OK;
}
LUMO_GET_FIELD(Cursor, SHORT, m_cursor)
HRESULT TLumoMain::put_Cursor(SHORT Value) {
    m_cursor = Value;
    return S_OK;
}

// --- enrollment and verification entry points -----------------------------------------------

HRESULT TLumoMain::Register(VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = VARIANT_FALSE;
        dialogs::TFMRegister dialog(m_form.data(), *m_presenter);
        dialog.setEngine(m_engine.get());
        if (!dialog.PrepareEngine()) return;
        // The dialog marks the enrolled finger in place, so a host's shorter status string is
        // filled up with '0' to the ten fingers first.
        std::string flags = m_checkFinger;
        if (flags.size() < 10) flags.resize(10, '0');
        dialog.ShowFingerFlags(flags);
        dialogs::TImgFinger* hand = dialog.ImgFinger();
        if (hand && hand->isEnabled() && m_defaultFinger >= 1 && m_defaultFinger <= 10) {
            if (m_autoRegister) {
                dialog.BitBtnOK()->hide();
                dialog.BitBtnCancel()->hide();
            }
            // The selection colour, not the enrolled one: the default finger is enrolled
            // again even when it is marked enrolled.
            hand->setCurFinger(int(m_defaultFinger));
            hand->setCurColor(QColor(0x00, 0x66, 0xCC));
            dialog.ImgFingerClick();
        }
        m_engine->setIsRegister(true);
        placeOverUsersWindow(dialog);
        dialog.exec();
        m_checkFinger = dialog.FingerFlags;
        m_fingerIndex = dialog.FingerIndex;
        m_registerTemplate = dialog.TemplateText;
        *Result = toVariantBool(!m_registerTemplate.empty());
    });
}

HRESULT TLumoMain::Verify(VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = VARIANT_FALSE;
        dialogs::TFMCheck dialog(m_form.data(), *m_presenter);
        dialog.setEngine(m_engine.get());
        if (m_registerTemplate.empty()) return;
        try {
            // A failed start has shown its message; the dialog is shown all the same.
            dialog.PrepareEngine();
            dialog.TriesLeft = int(m_verifyCount);
            dialog.RegTemplate = m_registerTemplate;
            dialog.VerifyMode = true;
            dialog.ConnectEvents();
            placeOverUsersWindow(dialog);
            const int result = dialog.exec();
            m_verifyTemplate = dialog.VerTemplate;
            *Result = toVariantBool(result == QDialog::Accepted);
        } catch (const std::exception&) {
            *Result = VARIANT_FALSE;
            m_presenter->show(m_form.data(), {MessageIcon::Warning,
                                              language::langStr(language::MsgKey::sFPDataErr),
                                              MessageButtons::Ok});
        }
    });
}

HRESULT TLumoMain::GetVerTemplate(VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = VARIANT_FALSE;
        dialogs::TFMCheck dialog(m_form.data(), *m_presenter);
        dialog.setEngine(m_engine.get());
        dialog.VerifyMode = false;
        dialog.ConnectEvents();
        if (!dialog.PrepareEngine()) return;
        if (m_windowCloseSeconds > 0) {
            // Seconds beyond the timer's range wait as long as the timer can.
            const long long ms = std::min<long long>(1000LL * m_windowCloseSeconds, INT_MAX);
            dialog.TimerCloseWindow()->setInterval(int(ms));
            dialog.TimerCloseWindow()->start();
        }
        if (!m_verHint.empty()) dialog.setWindowTitle(QString::fromStdString(m_verHint));
        placeOverUsersWindow(dialog);
        const int result = dialog.exec();
        m_verifyTemplate = dialog.VerTemplate;
        *Result = toVariantBool(result == QDialog::Accepted);
    });
}

HRESULT TLumoMain::get_RegisterTemplate(BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(m_registerTemplate);
    });
}

HRESULT TLumoMain::put_RegisterTemplate(BSTR Value) {
    return guarded([&] { m_registerTemplate = com::bstrToUtf8(Value); });
}

HRESULT TLumoMain::get_VerifyTemplate(BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(m_verifyTemplate);
    });
}

HRESULT TLumoMain::put_VerifyTemplate(BSTR Value) {
    return guarded([&] { m_verifyTemplate = com::bstrToUtf8(Value); });
}

LUMO_GET_FIELD(VerifyCount, LONG, m_verifyCount)
HRESULT TLumoMain::put_VerifyCount(LONG Value) {
    m_verifyCount = Value;
    return S_OK;
}

LUMO_GET_FIELD(ParentFont, VARIANT_BOOL, toVariantBool(m_parentFont))
HRESULT TLumoMain::put_ParentFont(VARIANT_BOOL Value) {
    m_parentFont = Value != VARIANT_FALSE;
    return S_OK;
}

HRESULT TLumoMain::get_CheckFinger(BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(m_checkFinger);
    });
}

HRESULT TLumoMain::put_CheckFinger(BSTR Value) {
    return guarded([&] { m_checkFinger = com::bstrToUtf8(Value); });
}

HRESULT TLumoMain::get_EnrollCount(LONG* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = m_engine->EnrollCount();
    });
}

HRESULT TLumoMain::put_EnrollCount(LONG Value) {
    return guarded([&] {
        if (Value >= 1 && Value <= 4) m_engine->setEnrollCount(Value);
    });
}

HRESULT TLumoMain::GetRegFingerTemplate(LONG AFingerOrder, BSTR* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = nullptr;
        if (auto entry =
                FingerTemplateTables::entry(fingerTemplateTables().registration, AFingerOrder))
            *Result = com::allocBstr(*entry);
    });
}

HRESULT TLumoMain::GetVerFingerTemplate(LONG AFingerOrder, BSTR* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = nullptr;
        if (auto entry =
                FingerTemplateTables::entry(fingerTemplateTables().verification, AFingerOrder))
            *Result = com::allocBstr(*entry);
    });
}

LUMO_GET_FIELD(DefaultRegFinger, LONG, m_defaultFinger)
HRESULT TLumoMain::put_DefaultRegFinger(LONG Value) {
    if (Value >= 1 && Value <= 10) m_defaultFinger = Value;
    return S_OK;
}

LUMO_GET_FIELD(DefaultWindowClose, LONG, m_windowCloseSeconds)
HRESULT TLumoMain::put_DefaultWindowClose(LONG Value) {
    if (Value > 0) m_windowCloseSeconds = Value;
    return S_OK;
}

HRESULT TLumoMain::get_SetVerHint(BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(m_verHint);
    });
}

HRESULT TLumoMain::put_SetVerHint(BSTR Value) {
    return guarded([&] { m_verHint = com::bstrToUtf8(Value); });
}

LUMO_GET_FIELD(IsAutoRegister, VARIANT_BOOL, toVariantBool(m_autoRegister))
HRESULT TLumoMain::put_IsAutoRegister(VARIANT_BOOL Value) {
    m_autoRegister = Value != 0;
    return S_OK;
}

LUMO_GET_FIELD(FingerIndex, LONG, m_fingerIndex)

HRESULT TLumoMain::GetTemplateString(BSTR* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = nullptr;
        std::string text;
        try {
            text = m_engine->LastTemplateAsText();
        } catch (const std::exception&) {
            // Not reported: no template is an empty string.
            return;
        }
        *Result = com::allocBstr(text);
    });
}

// --- templates and matching ----------------------------------------------------------------

HRESULT TLumoMain::CompressTemplate(BSTR ATemplate, VARIANT* Value) {
    return guarded([&] {
        requireOut(Value);
        VariantInit(Value);
        setByteArray(Value, m_engine->CompressTemplateText(com::bstrToUtf8(ATemplate)));
    });
}

HRESULT TLumoMain::DecodeTemplate(BSTR ATemplate, VARIANT* Value) {
    return guarded([&] {
        requireOut(Value);
        VariantInit(Value);
        setByteArray(Value, m_engine->TextToTemplate(com::bstrToUtf8(ATemplate)));
    });
}

HRESULT TLumoMain::EncodeTemplate(VARIANT ATemplate, BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        VARIANT own;
        VariantInit(&own);
        HRESULT hr = VariantCopyInd(&own, &ATemplate);
        if (FAILED(hr)) throw ComError(hr, "EncodeTemplate: the template value cannot be read");
        struct Release {
            VARIANT* v;
            ~Release() { VariantClear(v); }
        } release{&own};
        if (V_VT(&own) != (VT_ARRAY | VT_UI1))
            throw ComError(DISP_E_TYPEMISMATCH,
                           "EncodeTemplate: the template value must be a byte array");
        const engine::TemplateValue bytes = com::vectorFromByteArray(V_ARRAY(&own));
        *Value = com::allocBstr(m_engine->TemplateToText(bytes));
    });
}

HRESULT TLumoMain::MatchFinger(BSTR ARegTemplate, BSTR AVerTemplate, VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = VARIANT_FALSE;
        std::string reg = com::bstrToUtf8(ARegTemplate);
        const std::string ver = com::bstrToUtf8(AVerTemplate);
        bool changed = false;
        bool matched = false;
        try {
            matched = m_engine->MatchTemplateStrings(reg, ver, false, changed);
        } catch (const std::exception& e) {
            showError(std::string("MatchFinger error. ") + e.what());
            return;
        }
        *Result = toVariantBool(matched);
    });
}

HRESULT TLumoMain::get_OneToOneThreshold(LONG* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = m_engine->OneToOneThreshold();
    });
}

HRESULT TLumoMain::put_OneToOneThreshold(LONG Value) {
    return guarded([&] { m_engine->setOneToOneThreshold(Value); });
}

HRESULT TLumoMain::SetFPEngineVersion(LONG FPVersion, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        if (FPVersion == 9 || FPVersion == 10) {
            m_engine->setFPEngineVersion(std::to_string(FPVersion));
            *Result = 0;
        } else {
            *Result = 1;
        }
    });
}

// --- image files, sensor start and signals --------------------------------------------------

HRESULT TLumoMain::AddImageFile(BSTR AFileName, LONG dpi, VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = VARIANT_FALSE;
        const std::string file = com::bstrToUtf8(AFileName);
        if (!EnsureEngine()) return;
        // The engine is stopped again whatever happened to the image, errors included.
        bool accepted = false;
        try {
            m_engine->BeginImageInput();
            accepted = m_engine->AddImageFromFile(file, dpi);
        } catch (...) {
            try {
                m_engine->StopEngine();
            } catch (...) {
            }
            throw;
        }
        m_engine->StopEngine();
        *Result = toVariantBool(accepted);
    });
}

HRESULT TLumoMain::GetRegTemplateFromFile(BSTR AFileName, LONG dpi, BSTR* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = nullptr;
        const std::string file = com::bstrToUtf8(AFileName);
        if (!EnsureEngine()) return;
        if (m_engine->IsRegister()) m_engine->CancelEnrollment();
        m_engine->setEnrollCount(1);
        m_engine->StartEnrollment();
        std::string text;
        m_engine->RegTemplateFromImageFile(file, dpi, text);
        *Result = com::allocBstr(text);
    });
}

HRESULT TLumoMain::GetVerTemplateFromFile(BSTR AFileName, LONG dpi, BSTR* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = nullptr;
        const std::string file = com::bstrToUtf8(AFileName);
        if (!EnsureEngine()) return;
        std::string text;
        m_engine->VerTemplateFromImageFile(file, dpi, text);
        *Result = com::allocBstr(text);
    });
}

HRESULT TLumoMain::SaveFingerTemplateAsJPG(BSTR FileName, VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = VARIANT_TRUE;
        try {
            m_engine->SaveImageAsJpeg(com::bstrToUtf8(FileName));
        } catch (const std::exception&) {
            *Result = VARIANT_FALSE;
        }
    });
}

HRESULT TLumoMain::SaveFingerTemplateAsBMP(BSTR FileName, VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = VARIANT_TRUE;
        try {
            m_engine->SaveImageAsBitmap(com::bstrToUtf8(FileName));
        } catch (const std::exception&) {
            *Result = VARIANT_FALSE;
        }
    });
}

HRESULT TLumoMain::InitSensor(LONG* Value) {
    return guarded([&] {
        requireOut(Value);
        if (m_engine->Active()) {
            *Value = 0;
            return;
        }
        try {
            const int code = m_engine->StartEngine();
            *Value = code;
            if (code != engine::StartOk) m_engine->StopEngine();
        } catch (const std::exception&) {
            // Silent by design: the code, if any, is already in Value.
        }
    });
}

HRESULT TLumoMain::get_SensorSN(BSTR* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = nullptr;
        m_engine->StartEngine();
        *Result = com::allocBstr(m_engine->SensorSN());
    });
}

HRESULT TLumoMain::PlayGreenLight(VARIANT_BOOL bValue, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = m_engine->SignalSensor(engine::SignalGreenLight, bValue != 0 ? 1 : 0);
    });
}

HRESULT TLumoMain::PlayRedLight(VARIANT_BOOL bValue, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = m_engine->SignalSensor(engine::SignalRedLight, bValue != 0 ? 1 : 0);
    });
}

HRESULT TLumoMain::PlayBeep(VARIANT_BOOL bValue, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = m_engine->SignalSensor(engine::SignalBeeper, bValue != 0 ? 1 : 0);
    });
}

// --- identification buffer -------------------------------------------------------------------
// Engine errors are shown with the member's prefix; Result keeps what the caller passed.

HRESULT TLumoMain::CreateBuffer(LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        try {
            *Result = m_engine->CreateFPCacheDB();
        } catch (const std::exception& e) {
            showError(std::string("CreateFPCacheDB error. ") + e.what());
        }
    });
}

HRESULT TLumoMain::AddRegTemplateToBuffer(LONG FpHandle, LONG FPID, BSTR Template, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        const std::string text = com::bstrToUtf8(Template);
        try {
            *Result = m_engine->AddRegTemplateStrToFPCacheDB(FpHandle, FPID, text);
        } catch (const std::exception& e) {
            showError(std::string("AddRegTemplateStrToFPCacheDB error. ") + e.what());
        }
    });
}

HRESULT TLumoMain::RemoveRegTemplateFromBuffer(LONG FpHandle, LONG FPID, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        try {
            *Result = m_engine->RemoveTemplateFromFPCacheDB(FpHandle, FPID);
        } catch (const std::exception& e) {
            showError(std::string("RemoveRegTemplateFromBuffer error. ") + e.what());
        }
    });
}

HRESULT TLumoMain::IdentificationTemplateFromBuffer(LONG FpHandle, BSTR Template, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        const std::string text = com::bstrToUtf8(Template);
        try {
            int score = 0;
            int rank = 0;
            *Result = m_engine->IdentificationFromStrInFPCacheDB(FpHandle, text, score, rank);
        } catch (const std::exception& e) {
            showError(std::string("IdentificationFromStrInFPCacheDB error. ") + e.what());
        }
    });
}

HRESULT TLumoMain::FreeBuffer(LONG FpHandle) {
    return guarded([&] {
        try {
            m_engine->ReleaseFPCacheDB(FpHandle);
        } catch (const std::exception& e) {
            showError(std::string("FreeBuffer error. ") + e.what());
        }
    });
}

// --- language, cipher and card members ----------------------------------------

HRESULT TLumoMain::SetLanguageFile(BSTR FileName, VARIANT_BOOL* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = VARIANT_FALSE;
        // Joined as text: a full path names a file below the system directory.
        const std::string path = m_systemDirectory + com::bstrToUtf8(FileName);
        *Value = toVariantBool(language::loadMessages(std::filesystem::path(path)));
    });
}

HRESULT TLumoMain::Encrypt(BSTR ATemplate, BSTR Key, BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(card::Encrypt(com::bstrToUtf8(ATemplate), com::bstrToUtf8(Key)));
    });
}

HRESULT TLumoMain::Decrypt(BSTR ATemplate, BSTR Key, BSTR* Value) {
    return guarded([&] {
        requireOut(Value);
        *Value = nullptr;
        *Value = com::allocBstr(card::Decrypt(com::bstrToUtf8(ATemplate), com::bstrToUtf8(Key)));
    });
}

HRESULT TLumoMain::WriteTemplateToCard(BSTR ARegTemplate, LONG iUserID, VARIANT_BOOL bChangePwd,
                                       VARIANT_BOOL bExtUserIDFmt, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        // An error ends the call with Result at -1.
        *Result = card::CardNoEngine;
        card::CardOperations ops(*m_engine, m_cardKey, m_newCardKey,
                                 [this] { return EnsureEngine(); },
                                 [this](const std::string& text) { showError(text); });
        *Result = ops.WriteTemplateToCard(com::bstrToUtf8(ARegTemplate), iUserID,
                                          bChangePwd != VARIANT_FALSE,
                                          bExtUserIDFmt != VARIANT_FALSE);
    });
}

HRESULT TLumoMain::Set6FPCardKey(LONG AKey1, LONG AKey2, LONG AKey3, LONG AKey4, LONG AKey5,
                                 LONG AKey6, VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        card::CardOperations ops(*m_engine, m_cardKey, m_newCardKey,
                                 [this] { return EnsureEngine(); },
                                 [this](const std::string& text) { showError(text); });
        *Result = toVariantBool(ops.Set6FPCardKey(AKey1, AKey2, AKey3, AKey4, AKey5, AKey6));
    });
}

HRESULT TLumoMain::SetNew6FPCardKey(LONG ANKey1, LONG ANKey2, LONG ANKey3, LONG ANKey4,
                                    LONG ANKey5, LONG ANKey6, VARIANT_BOOL* Result) {
    return guarded([&] {
        requireOut(Result);
        card::CardOperations ops(*m_engine, m_cardKey, m_newCardKey,
                                 [this] { return EnsureEngine(); },
                                 [this](const std::string& text) { showError(text); });
        *Result =
            toVariantBool(ops.SetNew6FPCardKey(ANKey1, ANKey2, ANKey3, ANKey4, ANKey5, ANKey6));
    });
}

HRESULT TLumoMain::EmptyMFCard(VARIANT_BOOL bExtUserIDFmt, LONG* Result) {
    return guarded([&] {
        requireOut(Result);
        *Result = card::CardNoEngine;
        card::CardOperations ops(*m_engine, m_cardKey, m_newCardKey,
                                 [this] { return EnsureEngine(); },
                                 [this](const std::string& text) { showError(text); });
        *Result = ops.EmptyMFCard(bExtUserIDFmt != VARIANT_FALSE);
    });
}

HRESULT TLumoMain::ReadTemplateFromCard(BSTR* ARegTemplate, LONG* iUserID,
                                        VARIANT_BOOL bExtUserIDFmt, LONG* Result) {
    return guarded([&] {
        requireOut(ARegTemplate);
        requireOut(iUserID);
        requireOut(Result);
        *Result = card::CardNoEngine;
        card::CardOperations ops(*m_engine, m_cardKey, m_newCardKey,
                                 [this] { return EnsureEngine(); },
                                 [this](const std::string& text) { showError(text); });
        std::string text;
        std::int32_t userId = 0;
        const std::int32_t code =
            ops.ReadTemplateFromCard(text, userId, bExtUserIDFmt != VARIANT_FALSE);
        // In/out: the caller's string is freed and replaced.
        BSTR replacement = com::allocBstr(text);
        SysFreeString(*ARegTemplate);
        *ARegTemplate = replacement;
        *iUserID = userId;
        *Result = code;
    });
}

// --- connection points, hosting, error info ------------------------------------------------

HRESULT TLumoMain::GetFormWidget(QWidget** form) {
    if (!form) return E_POINTER;
    *form = m_form.data();
    return *form ? S_OK : E_UNEXPECTED;
}

namespace {

// Hands the control's boxes to a host's handler.
class HostMessagePresenter : public MessagePresenter {
public:
    explicit HostMessagePresenter(ILumoMessageBoxHandler* handler) : m_handler(handler) {}

    MessageAnswer show(QWidget*, const MessageBoxRequest& request) override {
        const bool yesNo = request.buttons == MessageButtons::YesNo;
        LumoMessageAnswer answer = yesNo ? lmaNo : lmaOk;
        try {
            Bstr text(request.text);
            if (FAILED(m_handler->ShowMessageBox(static_cast<LumoMessageIcon>(request.icon),
                                                 text.get(), yesNo ? lmbYesNo : lmbOk, &answer)))
                answer = yesNo ? lmaNo : lmaOk;
        } catch (const std::bad_alloc&) {
        }
        if (!yesNo) return MessageAnswer::Ok;
        return answer == lmaYes ? MessageAnswer::Yes : MessageAnswer::No;
    }

private:
    ComPtr<ILumoMessageBoxHandler> m_handler;
};

static_assert(int(MessageIcon::Error) == lmiError && int(MessageIcon::Warning) == lmiWarning &&
              int(MessageIcon::Information) == lmiInformation &&
              int(MessageIcon::Question) == lmiQuestion);

}  // namespace

HRESULT TLumoMain::SetMessageBoxHandler(ILumoMessageBoxHandler* handler) {
    try {
        setMessagePresenter(handler ? std::make_shared<HostMessagePresenter>(handler) : nullptr);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT TLumoMain::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID_ILumoMain ? S_OK : S_FALSE;
}

}  // namespace lumo::control
