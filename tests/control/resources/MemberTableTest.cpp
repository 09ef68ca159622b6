// The member table against the interface's documented identity: every member in vtable order
// with its DISPID and kind, each thunk calling the vtable method of its entry, and the host
// header's vtable laid out in that same order after the seven IDispatch slots.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "control/resources/LumoMembers.h"
#include "platform/com/Variant.h"

using lumo::com::MemberKind;

namespace {

struct Expected {
    const char* name;
    DISPID dispid;
    MemberKind kind;
    const char* vtableMethod;
};

// The members of ILumoMain in vtable order, as the control's interface defines them.
const Expected kMembers[] = {
    {"Visible", 0xC9, MemberKind::PropertyGet, "get_Visible"},
    {"Visible", 0xC9, MemberKind::PropertyPut, "put_Visible"},
    {"AutoScroll", 0xCA, MemberKind::PropertyGet, "get_AutoScroll"},
    {"AutoScroll", 0xCA, MemberKind::PropertyPut, "put_AutoScroll"},
    {"AutoSize", 0xCB, MemberKind::PropertyGet, "get_AutoSize"},
    {"AutoSize", 0xCB, MemberKind::PropertyPut, "put_AutoSize"},
    {"AxBorderStyle", 0xCC, MemberKind::PropertyGet, "get_AxBorderStyle"},
    {"AxBorderStyle", 0xCC, MemberKind::PropertyPut, "put_AxBorderStyle"},
    {"Caption", -518, MemberKind::PropertyGet, "get_Caption"},
    {"Caption", -518, MemberKind::PropertyPut, "put_Caption"},
    {"Color", -501, MemberKind::PropertyGet, "get_Color"},
    {"Color", -501, MemberKind::PropertyPut, "put_Color"},
    {"Font", -512, MemberKind::PropertyGet, "get_Font"},
    {"Font", -512, MemberKind::PropertyPut, "put_Font"},
    {"Font", -512, MemberKind::PropertyPutRef, "putref_Font"},
    {"KeyPreview", 0xCD, MemberKind::PropertyGet, "get_KeyPreview"},
    {"KeyPreview", 0xCD, MemberKind::PropertyPut, "put_KeyPreview"},
    {"PixelsPerInch", 0xCE, MemberKind::PropertyGet, "get_PixelsPerInch"},
    {"PixelsPerInch", 0xCE, MemberKind::PropertyPut, "put_PixelsPerInch"},
    {"PrintScale", 0xCF, MemberKind::PropertyGet, "get_PrintScale"},
    {"PrintScale", 0xCF, MemberKind::PropertyPut, "put_PrintScale"},
    {"Scaled", 0xD0, MemberKind::PropertyGet, "get_Scaled"},
    {"Scaled", 0xD0, MemberKind::PropertyPut, "put_Scaled"},
    {"Active", 0xD1, MemberKind::PropertyGet, "get_Active"},
    {"DropTarget", 0xD2, MemberKind::PropertyGet, "get_DropTarget"},
    {"DropTarget", 0xD2, MemberKind::PropertyPut, "put_DropTarget"},
    {"HelpFile", 0xD3, MemberKind::PropertyGet, "get_HelpFile"},
    {"HelpFile", 0xD3, MemberKind::PropertyPut, "put_HelpFile"},
    {"DoubleBuffered", 0xD6, MemberKind::PropertyGet, "get_DoubleBuffered"},
    {"DoubleBuffered", 0xD6, MemberKind::PropertyPut, "put_DoubleBuffered"},
    {"VisibleDockClientCount", 0xD8, MemberKind::PropertyGet, "get_VisibleDockClientCount"},
    {"Enabled", -514, MemberKind::PropertyGet, "get_Enabled"},
    {"Enabled", -514, MemberKind::PropertyPut, "put_Enabled"},
    {"Cursor", 0x0E, MemberKind::PropertyGet, "get_Cursor"},
    {"Cursor", 0x0E, MemberKind::PropertyPut, "put_Cursor"},
    {"Register", 0x12, MemberKind::Method, "Register"},
    {"RegisterTemplate", 0x0F, MemberKind::PropertyGet, "get_RegisterTemplate"},
    {"RegisterTemplate", 0x0F, MemberKind::PropertyPut, "put_RegisterTemplate"},
    {"Verify", 0x10, MemberKind::Method, "Verify"},
    {"VerifyCount", 0x11, MemberKind::PropertyGet, "get_VerifyCount"},
    {"VerifyCount", 0x11, MemberKind::PropertyPut, "put_VerifyCount"},
    {"VerifyTemplate", 0x13, MemberKind::PropertyGet, "get_VerifyTemplate"},
    {"VerifyTemplate", 0x13, MemberKind::PropertyPut, "put_VerifyTemplate"},
    {"GetVerTemplate", 0x14, MemberKind::Method, "GetVerTemplate"},
    {"ParentFont", 0x15, MemberKind::PropertyGet, "get_ParentFont"},
    {"ParentFont", 0x15, MemberKind::PropertyPut, "put_ParentFont"},
    {"CheckFinger", 0x1A, MemberKind::PropertyGet, "get_CheckFinger"},
    {"CheckFinger", 0x1A, MemberKind::PropertyPut, "put_CheckFinger"},
    {"EnrollCount", 0x19, MemberKind::PropertyGet, "get_EnrollCount"},
    {"EnrollCount", 0x19, MemberKind::PropertyPut, "put_EnrollCount"},
    {"GetRegFingerTemplate", 0x1B, MemberKind::Method, "GetRegFingerTemplate"},
    {"CompressTemplate", 0x1C, MemberKind::Method, "CompressTemplate"},
    {"GetVerFingerTemplate", 0x1D, MemberKind::Method, "GetVerFingerTemplate"},
    {"DefaultRegFinger", 0x1F, MemberKind::PropertyGet, "get_DefaultRegFinger"},
    {"DefaultRegFinger", 0x1F, MemberKind::PropertyPut, "put_DefaultRegFinger"},
    {"DefaultWindowClose", 0x20, MemberKind::PropertyGet, "get_DefaultWindowClose"},
    {"DefaultWindowClose", 0x20, MemberKind::PropertyPut, "put_DefaultWindowClose"},
    {"SetVerHint", 0x21, MemberKind::PropertyGet, "get_SetVerHint"},
    {"SetVerHint", 0x21, MemberKind::PropertyPut, "put_SetVerHint"},
    {"IsAutoRegister", 0x24, MemberKind::PropertyGet, "get_IsAutoRegister"},
    {"IsAutoRegister", 0x24, MemberKind::PropertyPut, "put_IsAutoRegister"},
    {"InitSensor", 0xD4, MemberKind::Method, "InitSensor"},
    {"SensorSN", 0xD5, MemberKind::PropertyGet, "get_SensorSN"},
    {"SetLanguageFile", 0xD7, MemberKind::Method, "SetLanguageFile"},
    {"MatchFinger", 0x16, MemberKind::Method, "MatchFinger"},
    {"DecodeTemplate", 0x22, MemberKind::Method, "DecodeTemplate"},
    {"EncodeTemplate", 0x23, MemberKind::Method, "EncodeTemplate"},
    {"SaveFingerTemplateAsJPG", 0xD9, MemberKind::Method, "SaveFingerTemplateAsJPG"},
    {"AddImageFile", 0xDA, MemberKind::Method, "AddImageFile"},
    {"SaveFingerTemplateAsBMP", 0xDB, MemberKind::Method, "SaveFingerTemplateAsBMP"},
    {"GetTemplateString", 0xDC, MemberKind::Method, "GetTemplateString"},
    {"FingerIndex", 0xDD, MemberKind::PropertyGet, "get_FingerIndex"},
    {"Encrypt", 0xDE, MemberKind::Method, "Encrypt"},
    {"Decrypt", 0xDF, MemberKind::Method, "Decrypt"},
    {"OneToOneThreshold", 0xE0, MemberKind::PropertyGet, "get_OneToOneThreshold"},
    {"OneToOneThreshold", 0xE0, MemberKind::PropertyPut, "put_OneToOneThreshold"},
    {"GetRegTemplateFromFile", 0xE1, MemberKind::Method, "GetRegTemplateFromFile"},
    {"GetVerTemplateFromFile", 0xE2, MemberKind::Method, "GetVerTemplateFromFile"},
    {"WriteTemplateToCard", 0xE3, MemberKind::Method, "WriteTemplateToCard"},
    {"PlayGreenLight", 0xE4, MemberKind::Method, "PlayGreenLight"},
    {"PlayRedLight", 0xE5, MemberKind::Method, "PlayRedLight"},
    {"Set6FPCardKey", 0xE7, MemberKind::Method, "Set6FPCardKey"},
    {"SetNew6FPCardKey", 0xE8, MemberKind::Method, "SetNew6FPCardKey"},
    {"EmptyMFCard", 0xE6, MemberKind::Method, "EmptyMFCard"},
    {"AddRegTemplateToBuffer", 0xF0, MemberKind::Method, "AddRegTemplateToBuffer"},
    {"RemoveRegTemplateFromBuffer", 0xF1, MemberKind::Method, "RemoveRegTemplateFromBuffer"},
    {"IdentificationTemplateFromBuffer", 0xF2, MemberKind::Method,
     "IdentificationTemplateFromBuffer"},
    {"CreateBuffer", 0xF3, MemberKind::Method, "CreateBuffer"},
    {"FreeBuffer", 0xF4, MemberKind::Method, "FreeBuffer"},
    {"ReadTemplateFromCard", 0xE9, MemberKind::Method, "ReadTemplateFromCard"},
    {"SetFPEngineVersion", 0xEA, MemberKind::Method, "SetFPEngineVersion"},
    {"PlayBeep", 0xEB, MemberKind::Method, "PlayBeep"},
};

// Records which vtable method ran.
class RecordingLumo final : public ILumoMain {
public:
    std::vector<std::string> called;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_Visible");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_Visible");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AutoScroll(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_AutoScroll");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AutoScroll(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_AutoScroll");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_AutoSize");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_AutoSize");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AxBorderStyle(TxActiveFormBorderStyle* Value) override {
        (void)Value;
        called.push_back("get_AxBorderStyle");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AxBorderStyle(TxActiveFormBorderStyle Value) override {
        (void)Value;
        called.push_back("put_AxBorderStyle");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Value) override {
        (void)Value;
        called.push_back("get_Caption");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) override {
        (void)Value;
        called.push_back("put_Caption");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Color(OLE_COLOR* Value) override {
        (void)Value;
        called.push_back("get_Color");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Color(OLE_COLOR Value) override {
        (void)Value;
        called.push_back("put_Color");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** Value) override {
        (void)Value;
        called.push_back("get_Font");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* Value) override {
        (void)Value;
        called.push_back("put_Font");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp** Value) override {
        (void)Value;
        called.push_back("putref_Font");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_KeyPreview(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_KeyPreview");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_KeyPreview(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_KeyPreview");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_PixelsPerInch(LONG* Value) override {
        (void)Value;
        called.push_back("get_PixelsPerInch");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_PixelsPerInch(LONG Value) override {
        (void)Value;
        called.push_back("put_PixelsPerInch");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_PrintScale(TxPrintScale* Value) override {
        (void)Value;
        called.push_back("get_PrintScale");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_PrintScale(TxPrintScale Value) override {
        (void)Value;
        called.push_back("put_PrintScale");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Scaled(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_Scaled");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Scaled(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_Scaled");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_Active");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DropTarget(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_DropTarget");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_DropTarget(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_DropTarget");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* Value) override {
        (void)Value;
        called.push_back("get_HelpFile");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_HelpFile(BSTR Value) override {
        (void)Value;
        called.push_back("put_HelpFile");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DoubleBuffered(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_DoubleBuffered");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_DoubleBuffered(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_DoubleBuffered");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_VisibleDockClientCount(LONG* Value) override {
        (void)Value;
        called.push_back("get_VisibleDockClientCount");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_Enabled");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_Enabled");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Cursor(SHORT* Value) override {
        (void)Value;
        called.push_back("get_Cursor");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Cursor(SHORT Value) override {
        (void)Value;
        called.push_back("put_Cursor");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Register(VARIANT_BOOL* Result) override {
        (void)Result;
        called.push_back("Register");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_RegisterTemplate(BSTR* Value) override {
        (void)Value;
        called.push_back("get_RegisterTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_RegisterTemplate(BSTR Value) override {
        (void)Value;
        called.push_back("put_RegisterTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Verify(VARIANT_BOOL* Result) override {
        (void)Result;
        called.push_back("Verify");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_VerifyCount(LONG* Value) override {
        (void)Value;
        called.push_back("get_VerifyCount");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_VerifyCount(LONG Value) override {
        (void)Value;
        called.push_back("put_VerifyCount");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_VerifyTemplate(BSTR* Value) override {
        (void)Value;
        called.push_back("get_VerifyTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_VerifyTemplate(BSTR Value) override {
        (void)Value;
        called.push_back("put_VerifyTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVerTemplate(VARIANT_BOOL* Result) override {
        (void)Result;
        called.push_back("GetVerTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ParentFont(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_ParentFont");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ParentFont(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_ParentFont");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CheckFinger(BSTR* Value) override {
        (void)Value;
        called.push_back("get_CheckFinger");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_CheckFinger(BSTR Value) override {
        (void)Value;
        called.push_back("put_CheckFinger");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_EnrollCount(LONG* Value) override {
        (void)Value;
        called.push_back("get_EnrollCount");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_EnrollCount(LONG Value) override {
        (void)Value;
        called.push_back("put_EnrollCount");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRegFingerTemplate(LONG AFingerOrder, BSTR* Result) override {
        (void)AFingerOrder;
        (void)Result;
        called.push_back("GetRegFingerTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CompressTemplate(BSTR ATemplate, VARIANT* Value) override {
        (void)ATemplate;
        (void)Value;
        called.push_back("CompressTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVerFingerTemplate(LONG AFingerOrder, BSTR* Result) override {
        (void)AFingerOrder;
        (void)Result;
        called.push_back("GetVerFingerTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DefaultRegFinger(LONG* Value) override {
        (void)Value;
        called.push_back("get_DefaultRegFinger");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_DefaultRegFinger(LONG Value) override {
        (void)Value;
        called.push_back("put_DefaultRegFinger");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DefaultWindowClose(LONG* Value) override {
        (void)Value;
        called.push_back("get_DefaultWindowClose");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_DefaultWindowClose(LONG Value) override {
        (void)Value;
        called.push_back("put_DefaultWindowClose");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_SetVerHint(BSTR* Value) override {
        (void)Value;
        called.push_back("get_SetVerHint");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_SetVerHint(BSTR Value) override {
        (void)Value;
        called.push_back("put_SetVerHint");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsAutoRegister(VARIANT_BOOL* Value) override {
        (void)Value;
        called.push_back("get_IsAutoRegister");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_IsAutoRegister(VARIANT_BOOL Value) override {
        (void)Value;
        called.push_back("put_IsAutoRegister");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InitSensor(LONG* Value) override {
        (void)Value;
        called.push_back("InitSensor");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_SensorSN(BSTR* Result) override {
        (void)Result;
        called.push_back("get_SensorSN");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetLanguageFile(BSTR FileName, VARIANT_BOOL* Value) override {
        (void)FileName;
        (void)Value;
        called.push_back("SetLanguageFile");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE MatchFinger(BSTR ARegTemplate, BSTR AVerTemplate,
                                          VARIANT_BOOL* Result) override {
        (void)ARegTemplate;
        (void)AVerTemplate;
        (void)Result;
        called.push_back("MatchFinger");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DecodeTemplate(BSTR ATemplate, VARIANT* Value) override {
        (void)ATemplate;
        (void)Value;
        called.push_back("DecodeTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EncodeTemplate(VARIANT ATemplate, BSTR* Value) override {
        (void)ATemplate;
        (void)Value;
        called.push_back("EncodeTemplate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveFingerTemplateAsJPG(BSTR FileName,
                                                      VARIANT_BOOL* Result) override {
        (void)FileName;
        (void)Result;
        called.push_back("SaveFingerTemplateAsJPG");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddImageFile(BSTR AFileName, LONG dpi,
                                           VARIANT_BOOL* Result) override {
        (void)AFileName;
        (void)dpi;
        (void)Result;
        called.push_back("AddImageFile");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveFingerTemplateAsBMP(BSTR FileName,
                                                      VARIANT_BOOL* Result) override {
        (void)FileName;
        (void)Result;
        called.push_back("SaveFingerTemplateAsBMP");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTemplateString(BSTR* Result) override {
        (void)Result;
        called.push_back("GetTemplateString");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_FingerIndex(LONG* Result) override {
        (void)Result;
        called.push_back("get_FingerIndex");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Encrypt(BSTR ATemplate, BSTR Key, BSTR* Value) override {
        (void)ATemplate;
        (void)Key;
        (void)Value;
        called.push_back("Encrypt");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Decrypt(BSTR ATemplate, BSTR Key, BSTR* Value) override {
        (void)ATemplate;
        (void)Key;
        (void)Value;
        called.push_back("Decrypt");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_OneToOneThreshold(LONG* Value) override {
        (void)Value;
        called.push_back("get_OneToOneThreshold");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_OneToOneThreshold(LONG Value) override {
        (void)Value;
        called.push_back("put_OneToOneThreshold");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRegTemplateFromFile(BSTR AFileName, LONG dpi,
                                                     BSTR* Result) override {
        (void)AFileName;
        (void)dpi;
        (void)Result;
        called.push_back("GetRegTemplateFromFile");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVerTemplateFromFile(BSTR AFileName, LONG dpi,
                                                     BSTR* Result) override {
        (void)AFileName;
        (void)dpi;
        (void)Result;
        called.push_back("GetVerTemplateFromFile");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE WriteTemplateToCard(BSTR ARegTemplate, LONG iUserID,
                                                  VARIANT_BOOL bChangePwd,
                                                  VARIANT_BOOL bExtUserIDFmt,
                                                  LONG* Result) override {
        (void)ARegTemplate;
        (void)iUserID;
        (void)bChangePwd;
        (void)bExtUserIDFmt;
        (void)Result;
        called.push_back("WriteTemplateToCard");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PlayGreenLight(VARIANT_BOOL bValue, LONG* Result) override {
        (void)bValue;
        (void)Result;
        called.push_back("PlayGreenLight");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PlayRedLight(VARIANT_BOOL bValue, LONG* Result) override {
        (void)bValue;
        (void)Result;
        called.push_back("PlayRedLight");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Set6FPCardKey(LONG AKey1, LONG AKey2, LONG AKey3, LONG AKey4,
                                            LONG AKey5, LONG AKey6, VARIANT_BOOL* Result) override {
        (void)AKey1;
        (void)AKey2;
        (void)AKey3;
        (void)AKey4;
        (void)AKey5;
        (void)AKey6;
        (void)Result;
        called.push_back("Set6FPCardKey");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetNew6FPCardKey(LONG ANKey1, LONG ANKey2, LONG ANKey3, LONG ANKey4,
                                               LONG ANKey5, LONG ANKey6,
                                               VARIANT_BOOL* Result) override {
        (void)ANKey1;
        (void)ANKey2;
        (void)ANKey3;
        (void)ANKey4;
        (void)ANKey5;
        (void)ANKey6;
        (void)Result;
        called.push_back("SetNew6FPCardKey");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EmptyMFCard(VARIANT_BOOL bExtUserIDFmt, LONG* Result) override {
        (void)bExtUserIDFmt;
        (void)Result;
        called.push_back("EmptyMFCard");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddRegTemplateToBuffer(LONG FpHandle, LONG FPID, BSTR Template,
                                                     LONG* Result) override {
        (void)FpHandle;
        (void)FPID;
        (void)Template;
        (void)Result;
        called.push_back("AddRegTemplateToBuffer");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RemoveRegTemplateFromBuffer(LONG FpHandle, LONG FPID,
                                                          LONG* Result) override {
        (void)FpHandle;
        (void)FPID;
        (void)Result;
        called.push_back("RemoveRegTemplateFromBuffer");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IdentificationTemplateFromBuffer(LONG FpHandle, BSTR Template,
                                                               LONG* Result) override {
        (void)FpHandle;
        (void)Template;
        (void)Result;
        called.push_back("IdentificationTemplateFromBuffer");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateBuffer(LONG* Result) override {
        (void)Result;
        called.push_back("CreateBuffer");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FreeBuffer(LONG FpHandle) override {
        (void)FpHandle;
        called.push_back("FreeBuffer");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReadTemplateFromCard(BSTR* ARegTemplate, LONG* iUserID,
                                                   VARIANT_BOOL bExtUserIDFmt,
                                                   LONG* Result) override {
        (void)ARegTemplate;
        (void)iUserID;
        (void)bExtUserIDFmt;
        (void)Result;
        called.push_back("ReadTemplateFromCard");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFPEngineVersion(LONG FPVersion, LONG* Result) override {
        (void)FPVersion;
        (void)Result;
        called.push_back("SetFPEngineVersion");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PlayBeep(VARIANT_BOOL bValue, LONG* Result) override {
        (void)bValue;
        (void)Result;
        called.push_back("PlayBeep");
        return S_OK;
    }
};

// The vtable slot of a virtual member function (Itanium C++ ABI: 1 + byte offset).
template <class MemberPointer>
std::ptrdiff_t slotOf(MemberPointer pointer) {
    static_assert(sizeof(MemberPointer) == 2 * sizeof(void*));
    std::ptrdiff_t raw = 0;
    std::memcpy(&raw, &pointer, sizeof raw);
    return (raw - 1) / std::ptrdiff_t(sizeof(void*));
}

const std::vector<std::ptrdiff_t> kSlots = {
    slotOf(&ILumoMain::get_Visible),
    slotOf(&ILumoMain::put_Visible),
    slotOf(&ILumoMain::get_AutoScroll),
    slotOf(&ILumoMain::put_AutoScroll),
    slotOf(&ILumoMain::get_AutoSize),
    slotOf(&ILumoMain::put_AutoSize),
    slotOf(&ILumoMain::get_AxBorderStyle),
    slotOf(&ILumoMain::put_AxBorderStyle),
    slotOf(&ILumoMain::get_Caption),
    slotOf(&ILumoMain::put_Caption),
    slotOf(&ILumoMain::get_Color),
    slotOf(&ILumoMain::put_Color),
    slotOf(&ILumoMain::get_Font),
    slotOf(&ILumoMain::put_Font),
    slotOf(&ILumoMain::putref_Font),
    slotOf(&ILumoMain::get_KeyPreview),
    slotOf(&ILumoMain::put_KeyPreview),
    slotOf(&ILumoMain::get_PixelsPerInch),
    slotOf(&ILumoMain::put_PixelsPerInch),
    slotOf(&ILumoMain::get_PrintScale),
    slotOf(&ILumoMain::put_PrintScale),
    slotOf(&ILumoMain::get_Scaled),
    slotOf(&ILumoMain::put_Scaled),
    slotOf(&ILumoMain::get_Active),
    slotOf(&ILumoMain::get_DropTarget),
    slotOf(&ILumoMain::put_DropTarget),
    slotOf(&ILumoMain::get_HelpFile),
    slotOf(&ILumoMain::put_HelpFile),
    slotOf(&ILumoMain::get_DoubleBuffered),
    slotOf(&ILumoMain::put_DoubleBuffered),
    slotOf(&ILumoMain::get_VisibleDockClientCount),
    slotOf(&ILumoMain::get_Enabled),
    slotOf(&ILumoMain::put_Enabled),
    slotOf(&ILumoMain::get_Cursor),
    slotOf(&ILumoMain::put_Cursor),
    slotOf(&ILumoMain::Register),
    slotOf(&ILumoMain::get_RegisterTemplate),
    slotOf(&ILumoMain::put_RegisterTemplate),
    slotOf(&ILumoMain::Verify),
    slotOf(&ILumoMain::get_VerifyCount),
    slotOf(&ILumoMain::put_VerifyCount),
    slotOf(&ILumoMain::get_VerifyTemplate),
    slotOf(&ILumoMain::put_VerifyTemplate),
    slotOf(&ILumoMain::GetVerTemplate),
    slotOf(&ILumoMain::get_ParentFont),
    slotOf(&ILumoMain::put_ParentFont),
    slotOf(&ILumoMain::get_CheckFinger),
    slotOf(&ILumoMain::put_CheckFinger),
    slotOf(&ILumoMain::get_EnrollCount),
    slotOf(&ILumoMain::put_EnrollCount),
    slotOf(&ILumoMain::GetRegFingerTemplate),
    slotOf(&ILumoMain::CompressTemplate),
    slotOf(&ILumoMain::GetVerFingerTemplate),
    slotOf(&ILumoMain::get_DefaultRegFinger),
    slotOf(&ILumoMain::put_DefaultRegFinger),
    slotOf(&ILumoMain::get_DefaultWindowClose),
    slotOf(&ILumoMain::put_DefaultWindowClose),
    slotOf(&ILumoMain::get_SetVerHint),
    slotOf(&ILumoMain::put_SetVerHint),
    slotOf(&ILumoMain::get_IsAutoRegister),
    slotOf(&ILumoMain::put_IsAutoRegister),
    slotOf(&ILumoMain::InitSensor),
    slotOf(&ILumoMain::get_SensorSN),
    slotOf(&ILumoMain::SetLanguageFile),
    slotOf(&ILumoMain::MatchFinger),
    slotOf(&ILumoMain::DecodeTemplate),
    slotOf(&ILumoMain::EncodeTemplate),
    slotOf(&ILumoMain::SaveFingerTemplateAsJPG),
    slotOf(&ILumoMain::AddImageFile),
    slotOf(&ILumoMain::SaveFingerTemplateAsBMP),
    slotOf(&ILumoMain::GetTemplateString),
    slotOf(&ILumoMain::get_FingerIndex),
    slotOf(&ILumoMain::Encrypt),
    slotOf(&ILumoMain::Decrypt),
    slotOf(&ILumoMain::get_OneToOneThreshold),
    slotOf(&ILumoMain::put_OneToOneThreshold),
    slotOf(&ILumoMain::GetRegTemplateFromFile),
    slotOf(&ILumoMain::GetVerTemplateFromFile),
    slotOf(&ILumoMain::WriteTemplateToCard),
    slotOf(&ILumoMain::PlayGreenLight),
    slotOf(&ILumoMain::PlayRedLight),
    slotOf(&ILumoMain::Set6FPCardKey),
    slotOf(&ILumoMain::SetNew6FPCardKey),
    slotOf(&ILumoMain::EmptyMFCard),
    slotOf(&ILumoMain::AddRegTemplateToBuffer),
    slotOf(&ILumoMain::RemoveRegTemplateFromBuffer),
    slotOf(&ILumoMain::IdentificationTemplateFromBuffer),
    slotOf(&ILumoMain::CreateBuffer),
    slotOf(&ILumoMain::FreeBuffer),
    slotOf(&ILumoMain::ReadTemplateFromCard),
    slotOf(&ILumoMain::SetFPEngineVersion),
    slotOf(&ILumoMain::PlayBeep),
};

}  // namespace

TEST(MemberTableTest, EveryMemberInVtableOrderWithItsDispidAndKind) {
    const auto& members = lumo::control::lumoMemberTable().members();
    ASSERT_EQ(members.size(), std::size(kMembers));
    for (std::size_t i = 0; i < members.size(); ++i) {
        SCOPED_TRACE(kMembers[i].vtableMethod);
        EXPECT_EQ(members[i].name, kMembers[i].name);
        EXPECT_EQ(members[i].dispid, kMembers[i].dispid);
        EXPECT_EQ(members[i].kind, kMembers[i].kind);
    }
}

TEST(MemberTableTest, EachThunkCallsTheVtableMethodOfItsEntry) {
    const auto& members = lumo::control::lumoMemberTable().members();
    RecordingLumo recorder;
    for (std::size_t i = 0; i < members.size() && i < std::size(kMembers); ++i) {
        SCOPED_TRACE(kMembers[i].vtableMethod);
        const auto& m = members[i];
        std::vector<VARTYPE> types;
        std::vector<VARIANT> arguments;
        for (const auto& p : m.params) {
            types.push_back(p.type);
            VARIANT v;
            std::memset(&v, 0, sizeof v);
            v.vt = p.type == VT_VARIANT ? VARTYPE(VT_EMPTY) : p.type;
            arguments.push_back(v);
        }
        VARIANT result;
        std::memset(&result, 0, sizeof result);
        result.vt = m.result == VT_VARIANT ? VARTYPE(VT_EMPTY) : m.result;
        lumo::com::DispatchCall call(types, arguments, m.result, result);
        recorder.called.clear();
        EXPECT_EQ(m.thunk(static_cast<ILumoMain*>(&recorder), call), S_OK);
        EXPECT_EQ(recorder.called, (std::vector<std::string>{kMembers[i].vtableMethod}));
    }
}

TEST(MemberTableTest, HostHeaderVtableFollowsTheSevenDispatchSlots) {
    ASSERT_EQ(kSlots.size(), std::size(kMembers));
    for (std::size_t i = 0; i < kSlots.size(); ++i) {
        SCOPED_TRACE(kMembers[i].vtableMethod);
        EXPECT_EQ(kSlots[i], std::ptrdiff_t(7 + i));
    }
}

TEST(MemberTableTest, IdentityOfTheTypeLibrary) {
    EXPECT_EQ(lumo::com::guidToString(LIBID_Lumo), "{75A1B333-5B25-4450-93EF-46A951CDAD6B}");
    EXPECT_EQ(lumo::com::guidToString(CLSID_LumoMain), "{E9A5302A-F08E-4929-9717-79CDC84F2490}");
    EXPECT_EQ(lumo::com::guidToString(IID_ILumoMain), "{0CF5416E-6EE3-427E-AE08-C86A91570417}");
    EXPECT_EQ(lumo::com::guidToString(DIID_IVIZErevorMainEvents),
              "{B6A801EE-8E42-4596-9CF6-3EF26838FCC2}");
    EXPECT_STREQ(LumoMainProgID, "Lumo.LumoMain");
    EXPECT_EQ(LumoMainMiscStatus, 0x12000u);
    EXPECT_EQ(LumoMajorVersion, 3);
    EXPECT_EQ(LumoMinorVersion, 0);
}
