// Lumo_TLB.h: the host's view of the Lumo control library (type library Lumo 3.0).
//
// Declares the coclass LumoMain, its dual interface ILumoMain (vtable after the seven IDispatch
// slots, in the library's member order), the dispatch-only event interface
// IVIZErevorMainEvents with its DISPIDs, the type library's enumerations, and two small
// interfaces of this system that the control answers besides ILumoMain:
//   ILumoActiveForm     hands the host the control's form widget, so that it can parent and
//                       place it;
//   ILumoMessageBoxes   lets a host take over the control's modal message boxes (a host
//                       without a screen answers them itself) through ILumoMessageBoxHandler.
//
// Create the control with CoCreateInstance(CLSID_LumoMain, ...) or by ProgID "Lumo.LumoMain".
// Every member returns an HRESULT; strings are BSTRs the callee allocates for out parameters
// and the caller frees; booleans are VARIANT_BOOL (true = -1). A failing member sets the
// thread's error info (GetErrorInfo) with its description. Call only on the thread that
// created the control, with the host's QApplication alive.
#pragma once

#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"

class QWidget;

// --- identity -------------------------------------------------------------------------------
inline constexpr GUID LIBID_Lumo = {
    0x75A1B333, 0x5B25, 0x4450, {0x93, 0xEF, 0x46, 0xA9, 0x51, 0xCD, 0xAD, 0x6B}};
inline constexpr WORD LumoMajorVersion = 3;
inline constexpr WORD LumoMinorVersion = 0;
inline constexpr LCID LumoTypeLibLocale = 0x409;
inline constexpr IID IID_ILumoMain = {
    0x0CF5416E, 0x6EE3, 0x427E, {0xAE, 0x08, 0xC8, 0x6A, 0x91, 0x57, 0x04, 0x17}};
inline constexpr IID DIID_IVIZErevorMainEvents = {
    0xB6A801EE, 0x8E42, 0x4596, {0x9C, 0xF6, 0x3E, 0xF2, 0x68, 0x38, 0xFC, 0xC2}};
inline constexpr CLSID CLSID_LumoMain = {
    0xE9A5302A, 0xF08E, 0x4929, {0x97, 0x17, 0x79, 0xCD, 0xC8, 0x4F, 0x24, 0x90}};
inline constexpr const char* LumoMainProgID = "Lumo.LumoMain";
// OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL
inline constexpr DWORD LumoMainMiscStatus = 0x12000;

inline constexpr IID IID_ILumoActiveForm = {
    0x6EA9F03F, 0x76B6, 0x407B, {0xB5, 0xF8, 0x50, 0x01, 0xF4, 0x10, 0x60, 0x6E}};
inline constexpr IID IID_ILumoMessageBoxes = {
    0x5FA1E9BF, 0x6DDB, 0x4A0C, {0x87, 0x09, 0xFA, 0xD5, 0xBA, 0x39, 0x10, 0xB0}};
inline constexpr IID IID_ILumoMessageBoxHandler = {
    0xB7729B29, 0xC0D2, 0x44C4, {0xBA, 0x6A, 0x0A, 0xCD, 0x30, 0x94, 0x69, 0x44}};
// The standard font dispatch interface.
inline constexpr IID IID_IFontDisp = {
    0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

// --- enumerations (32-bit in the vtable) ----------------------------------------------------
enum TxActiveFormBorderStyle : LONG { afbNone = 0, afbSingle = 1, afbSunken = 2, afbRaised = 3 };
enum TxPrintScale : LONG { poNone = 0, poProportional = 1, poPrintToFit = 2 };
enum TxMouseButton : LONG { mbLeft = 0, mbRight = 1, mbMiddle = 2 };
enum TxDragMode : LONG { dmManual = 0, dmAutomatic = 1 };

using OLE_COLOR = ULONG;

class IFontDisp : public IDispatch {
protected:
    ~IFontDisp() = default;
};
LUMO_COM_INTERFACE(IFontDisp, IDispatch, IID_IFontDisp);

// --- events ---------------------------------------------------------------------------------
// Dispatch only: the control calls the sink's IDispatch::Invoke with these DISPIDs.
namespace LumoEventDispId {
inline constexpr DISPID OnActivate = 0xC9;
inline constexpr DISPID OnClick = 0xCA;
inline constexpr DISPID OnCreate = 0xCB;
inline constexpr DISPID OnDblClick = 0xCC;
inline constexpr DISPID OnDestroy = 0xCD;
inline constexpr DISPID OnDeactivate = 0xCE;
// One argument Key: VT_BYREF | VT_I2; the sink may change it.
inline constexpr DISPID OnKeyPress = 0xCF;
inline constexpr DISPID OnPaint = 0xD0;
}  // namespace LumoEventDispId

class IVIZErevorMainEvents : public IDispatch {
protected:
    ~IVIZErevorMainEvents() = default;
};
LUMO_COM_INTERFACE(IVIZErevorMainEvents, IDispatch, DIID_IVIZErevorMainEvents);

// --- ILumoMain ------------------------------------------------------------------------------
class ILumoMain : public IDispatch {
public:
    // Inherited form properties.
    virtual HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoScroll(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoScroll(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AxBorderStyle(TxActiveFormBorderStyle* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AxBorderStyle(TxActiveFormBorderStyle Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Color(OLE_COLOR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Color(OLE_COLOR Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp** Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_KeyPreview(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_KeyPreview(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PixelsPerInch(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PixelsPerInch(LONG Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PrintScale(TxPrintScale* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PrintScale(TxPrintScale Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Scaled(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Scaled(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DropTarget(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DropTarget(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HelpFile(BSTR Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DoubleBuffered(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DoubleBuffered(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VisibleDockClientCount(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cursor(SHORT* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cursor(SHORT Value) = 0;

    // The control's own members.
    virtual HRESULT STDMETHODCALLTYPE Register(VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RegisterTemplate(BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RegisterTemplate(BSTR Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Verify(VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VerifyCount(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_VerifyCount(LONG Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VerifyTemplate(BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_VerifyTemplate(BSTR Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVerTemplate(VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ParentFont(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ParentFont(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CheckFinger(BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CheckFinger(BSTR Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EnrollCount(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_EnrollCount(LONG Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRegFingerTemplate(LONG AFingerOrder, BSTR* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompressTemplate(BSTR ATemplate, VARIANT* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVerFingerTemplate(LONG AFingerOrder, BSTR* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultRegFinger(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultRegFinger(LONG Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultWindowClose(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultWindowClose(LONG Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SetVerHint(BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SetVerHint(BSTR Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsAutoRegister(VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsAutoRegister(VARIANT_BOOL Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitSensor(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SensorSN(BSTR* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLanguageFile(BSTR FileName, VARIANT_BOOL* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE MatchFinger(BSTR ARegTemplate, BSTR AVerTemplate,
                                                  VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE DecodeTemplate(BSTR ATemplate, VARIANT* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE EncodeTemplate(VARIANT ATemplate, BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveFingerTemplateAsJPG(BSTR FileName,
                                                              VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddImageFile(BSTR AFileName, LONG dpi,
                                                   VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveFingerTemplateAsBMP(BSTR FileName,
                                                              VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTemplateString(BSTR* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FingerIndex(LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Encrypt(BSTR ATemplate, BSTR Key, BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Decrypt(BSTR ATemplate, BSTR Key, BSTR* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OneToOneThreshold(LONG* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_OneToOneThreshold(LONG Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRegTemplateFromFile(BSTR AFileName, LONG dpi,
                                                             BSTR* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVerTemplateFromFile(BSTR AFileName, LONG dpi,
                                                             BSTR* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteTemplateToCard(BSTR ARegTemplate, LONG iUserID,
                                                          VARIANT_BOOL bChangePwd,
                                                          VARIANT_BOOL bExtUserIDFmt,
                                                          LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlayGreenLight(VARIANT_BOOL bValue, LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlayRedLight(VARIANT_BOOL bValue, LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Set6FPCardKey(LONG AKey1, LONG AKey2, LONG AKey3, LONG AKey4,
                                                    LONG AKey5, LONG AKey6,
                                                    VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetNew6FPCardKey(LONG ANKey1, LONG ANKey2, LONG ANKey3,
                                                       LONG ANKey4, LONG ANKey5, LONG ANKey6,
                                                       VARIANT_BOOL* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE EmptyMFCard(VARIANT_BOOL bExtUserIDFmt, LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddRegTemplateToBuffer(LONG FpHandle, LONG FPID,
                                                             BSTR Template, LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveRegTemplateFromBuffer(LONG FpHandle, LONG FPID,
                                                                  LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE IdentificationTemplateFromBuffer(LONG FpHandle, BSTR Template,
                                                                       LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBuffer(LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeBuffer(LONG FpHandle) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadTemplateFromCard(BSTR* ARegTemplate, LONG* iUserID,
                                                           VARIANT_BOOL bExtUserIDFmt,
                                                           LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFPEngineVersion(LONG FPVersion, LONG* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlayBeep(VARIANT_BOOL bValue, LONG* Result) = 0;

protected:
    ~ILumoMain() = default;
};
LUMO_COM_INTERFACE(ILumoMain, IDispatch, IID_ILumoMain);

// --- this system's hosting interfaces -------------------------------------------------------
class ILumoActiveForm : public IUnknown {
public:
    // The control's form; the control keeps owning it. A host may reparent it into its own
    // window (QWidget::setParent) but must give it back (setParent(nullptr)) or release the
    // control before it destroys that window.
    virtual HRESULT STDMETHODCALLTYPE GetFormWidget(QWidget** form) = 0;

protected:
    ~ILumoActiveForm() = default;
};
LUMO_COM_INTERFACE(ILumoActiveForm, IUnknown, IID_ILumoActiveForm);

// Icons and buttons of a message box, and its answers.
enum LumoMessageIcon : LONG { lmiError = 0, lmiWarning = 1, lmiInformation = 2, lmiQuestion = 3 };
enum LumoMessageButtons : LONG { lmbOk = 0, lmbYesNo = 1 };
enum LumoMessageAnswer : LONG { lmaOk = 0, lmaYes = 1, lmaNo = 2 };

class ILumoMessageBoxHandler : public IUnknown {
public:
    // Shows (or answers) one modal box; *answer receives a LumoMessageAnswer. A failure
    // status counts as Ok for an OK box and No for a Yes/No box.
    virtual HRESULT STDMETHODCALLTYPE ShowMessageBox(LumoMessageIcon icon, BSTR text,
                                                     LumoMessageButtons buttons,
                                                     LumoMessageAnswer* answer) = 0;

protected:
    ~ILumoMessageBoxHandler() = default;
};
LUMO_COM_INTERFACE(ILumoMessageBoxHandler, IUnknown, IID_ILumoMessageBoxHandler);

class ILumoMessageBoxes : public IUnknown {
public:
    // Every later box of this control goes to handler (the control keeps a reference); null
    // restores the control's own modal boxes.
    virtual HRESULT STDMETHODCALLTYPE SetMessageBoxHandler(ILumoMessageBoxHandler* handler) = 0;

protected:
    ~ILumoMessageBoxes() = default;
};
LUMO_COM_INTERFACE(ILumoMessageBoxes, IUnknown, IID_ILumoMessageBoxes);
