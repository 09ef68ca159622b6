// TLumoMain: the Lumo control object, coclass LumoMain.
//
// One COM object with the dual interface ILumoMain (vtable and IDispatch by DISPID or name),
// the event interface IVIZErevorMainEvents through a connection point, and this system's
// hosting interfaces ILumoActiveForm (the form widget) and ILumoMessageBoxes (who shows the
// modal boxes). Its visible surface is a LumoForm; every sensor, template and card operation
// goes through the engine it holds (IFPEngine).
//
// Construction runs the control's creation steps; it does not start the engine. The host's
// QApplication must exist: the control never creates one. The engine is shared with the
// creator (a test keeps its double); the form is owned by the control and deleted with it
// unless a host widget it was parented to deleted it first.
//
// Failure conventions of the members: plain accessors of the control's own fields always
// succeed; the other members run inside an error guard that turns any error into a failing
// HRESULT with the error's message as error info (E_UNEXPECTED when the error carries no
// COM status); members that catch engine errors themselves show a modal error box through
// the message presenter and succeed.
//
// Apartment threading: every call on the thread that created the object.
#pragma once

#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "control/core/LumoForm.h"
#include "control/core/MessagePresenter.h"
#include "control/resources/Lumo_TLB.h"
#include "engine/IFPEngine.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPointContainer.h"
#include "platform/com/ErrorInfo.h"

namespace lumo::control {

class TLumoMain final
    : public com::ComObject<TLumoMain, ILumoMain, IConnectionPointContainer, ILumoActiveForm,
                            ILumoMessageBoxes, ISupportErrorInfo> {
public:
    // engine: the engine this control works with (never null). presenter: who shows the
    // control's message boxes, those of its creation included (null: QtMessagePresenter).
    explicit TLumoMain(std::shared_ptr<engine::IFPEngine> engine,
                       std::shared_ptr<MessagePresenter> presenter = nullptr);
    ~TLumoMain() override;

    // --- for the library's own code and in-process tests ---
    engine::IFPEngine& engine() { return *m_engine; }
    LumoForm* form() const { return m_form.data(); }
    MessagePresenter& messagePresenter() { return *m_presenter; }
    // null restores the control's own QMessageBox presenter.
    void setMessagePresenter(std::shared_ptr<MessagePresenter> presenter);
    // ensureEngine() with this control's presenter and form.
    bool EnsureEngine();
    const std::string& systemDirectory() const { return m_systemDirectory; }
    const engine::CardKey& cardKey() const { return m_cardKey; }
    const engine::CardKey& newCardKey() const { return m_newCardKey; }
    bool hasEventSink() const;

    // --- IDispatch ---
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                            LCID lcid, DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // --- ILumoMain: inherited form properties ---
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_AutoScroll(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_AutoScroll(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_AxBorderStyle(TxActiveFormBorderStyle* Value) override;
    HRESULT STDMETHODCALLTYPE put_AxBorderStyle(TxActiveFormBorderStyle Value) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Color(OLE_COLOR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Color(OLE_COLOR Value) override;
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** Value) override;
    HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* Value) override;
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp** Value) override;
    HRESULT STDMETHODCALLTYPE get_KeyPreview(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_KeyPreview(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_PixelsPerInch(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_PixelsPerInch(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_PrintScale(TxPrintScale* Value) override;
    HRESULT STDMETHODCALLTYPE put_PrintScale(TxPrintScale Value) override;
    HRESULT STDMETHODCALLTYPE get_Scaled(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_Scaled(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE get_DropTarget(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_DropTarget(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_HelpFile(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_DoubleBuffered(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_DoubleBuffered(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_VisibleDockClientCount(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_Cursor(SHORT* Value) override;
    HRESULT STDMETHODCALLTYPE put_Cursor(SHORT Value) override;

    // --- ILumoMain: the control's own members ---
    HRESULT STDMETHODCALLTYPE Register(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE get_RegisterTemplate(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_RegisterTemplate(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE Verify(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE get_VerifyCount(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_VerifyCount(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_VerifyTemplate(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_VerifyTemplate(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE GetVerTemplate(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE get_ParentFont(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_ParentFont(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_CheckFinger(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_CheckFinger(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_EnrollCount(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_EnrollCount(LONG Value) override;
    HRESULT STDMETHODCALLTYPE GetRegFingerTemplate(LONG AFingerOrder, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE CompressTemplate(BSTR ATemplate, VARIANT* Value) override;
    HRESULT STDMETHODCALLTYPE GetVerFingerTemplate(LONG AFingerOrder, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE get_DefaultRegFinger(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultRegFinger(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_DefaultWindowClose(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultWindowClose(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_SetVerHint(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_SetVerHint(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_IsAutoRegister(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_IsAutoRegister(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE InitSensor(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_SensorSN(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE SetLanguageFile(BSTR FileName, VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE MatchFinger(BSTR ARegTemplate, BSTR AVerTemplate,
                                          VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE DecodeTemplate(BSTR ATemplate, VARIANT* Value) override;
    HRESULT STDMETHODCALLTYPE EncodeTemplate(VARIANT ATemplate, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE SaveFingerTemplateAsJPG(BSTR FileName, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE AddImageFile(BSTR AFileName, LONG dpi, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE SaveFingerTemplateAsBMP(BSTR FileName, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE GetTemplateString(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE get_FingerIndex(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE Encrypt(BSTR ATemplate, BSTR Key, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE Decrypt(BSTR ATemplate, BSTR Key, BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_OneToOneThreshold(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_OneToOneThreshold(LONG Value) override;
    HRESULT STDMETHODCALLTYPE GetRegTemplateFromFile(BSTR AFileName, LONG dpi,
                                                     BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE GetVerTemplateFromFile(BSTR AFileName, LONG dpi,
                                                     BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE WriteTemplateToCard(BSTR ARegTemplate, LONG iUserID,
                                                  VARIANT_BOOL bChangePwd,
                                                  VARIANT_BOOL bExtUserIDFmt,
                                                  LONG* Result) override;
    HRESULT STDMETHODCALLTYPE PlayGreenLight(VARIANT_BOOL bValue, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE PlayRedLight(VARIANT_BOOL bValue, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE Set6FPCardKey(LONG AKey1, LONG AKey2, LONG AKey3, LONG AKey4,
                                            LONG AKey5, LONG AKey6, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE SetNew6FPCardKey(LONG ANKey1, LONG ANKey2, LONG ANKey3, LONG ANKey4,
                                               LONG ANKey5, LONG ANKey6,
                                               VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE EmptyMFCard(VARIANT_BOOL bExtUserIDFmt, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE AddRegTemplateToBuffer(LONG FpHandle, LONG FPID, BSTR Template,
                                                     LONG* Result) override;
    HRESULT STDMETHODCALLTYPE RemoveRegTemplateFromBuffer(LONG FpHandle, LONG FPID,
                                                          LONG* Result) override;
    HRESULT STDMETHODCALLTYPE IdentificationTemplateFromBuffer(LONG FpHandle, BSTR Template,
                                                               LONG* Result) override;
    HRESULT STDMETHODCALLTYPE CreateBuffer(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE FreeBuffer(LONG FpHandle) override;
    HRESULT STDMETHODCALLTYPE ReadTemplateFromCard(BSTR* ARegTemplate, LONG* iUserID,
                                                   VARIANT_BOOL bExtUserIDFmt,
                                                   LONG* Result) override;
    HRESULT STDMETHODCALLTYPE SetFPEngineVersion(LONG FPVersion, LONG* Result) override;
    HRESULT STDMETHODCALLTYPE PlayBeep(VARIANT_BOOL bValue, LONG* Result) override;

    // --- IConnectionPointContainer ---
    LUMO_CONNECTION_POINTS_FROM(m_events)

    // --- ILumoActiveForm ---
    HRESULT STDMETHODCALLTYPE GetFormWidget(QWidget** form) override;

    // --- ILumoMessageBoxes ---
    HRESULT STDMETHODCALLTYPE SetMessageBoxHandler(ILumoMessageBoxHandler* handler) override;

    // --- ISupportErrorInfo ---
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    void ActiveFormCreate();
    void Initialize();
    // Sends an event to the connected sink; nothing without one. Errors of the sink are its own.
    void fireEvent(DISPID dispid);
    short fireKeyPress(short key);
    // The modal error box with the text.
    void showError(const std::string& text);

    std::shared_ptr<engine::IFPEngine> m_engine;
    std::shared_ptr<MessagePresenter> m_presenter;
    com::ConnectionPointContainer m_events{this, {DIID_IVIZErevorMainEvents}};
    QPointer<LumoForm> m_form;

    // The control's own fields.
    std::string m_registerTemplate;
    std::string m_verifyTemplate;
    LONG m_verifyCount = 3;
    std::string m_checkFinger;
    LONG m_defaultFinger = 0;
    LONG m_fingerIndex = 0;
    LONG m_windowCloseSeconds = 0;
    std::string m_verHint;
    bool m_autoRegister = false;
    std::string m_systemDirectory;
    engine::CardKey m_cardKey{};
    engine::CardKey m_newCardKey{};

    // Form properties that a QWidget does not keep itself.
    bool m_autoScroll = false;
    bool m_autoSize = true;
    TxActiveFormBorderStyle m_axBorderStyle = afbNone;
    bool m_keyPreview = false;
    LONG m_pixelsPerInch = 96;
    TxPrintScale m_printScale = poProportional;
    bool m_scaled = true;
    bool m_dropTarget = false;
    std::string m_helpFile;
    bool m_doubleBuffered = false;
    SHORT m_cursor = 0;
    bool m_parentFont = false;
};

}  // namespace lumo::control
