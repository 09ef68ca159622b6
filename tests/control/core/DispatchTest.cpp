// The control through IDispatch: names, DISPIDs, arguments, results, failures; the events.
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ControlFixture.h"
#include "platform/com/ComObject.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

using lumo::com::Bstr;
using lumo::com::ComPtr;

namespace {

class DispatchTest : public lumo::test::ControlFixture {
protected:
    DISPID idOf(const char* name) {
        std::u16string wide(name, name + std::strlen(name));
        LPOLESTR names[] = {wide.data()};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(lumo()->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK) << name;
        return id;
    }

    // Invokes with the arguments in declaration order; returns the HRESULT.
    HRESULT invoke(const char* name, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                   EXCEPINFO* excep = nullptr) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(),
                          flags == DISPATCH_PROPERTYPUT ? &put : nullptr, UINT(reversed.size()),
                          flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        UINT argErr = 0;
        return lumo()->Invoke(idOf(name), IID_NULL, 0x409, flags, &params, result, excep, &argErr);
    }

    static VARIANT i4(LONG v) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_I4;
        V_I4(&x) = v;
        return x;
    }
    static VARIANT str(const Bstr& b) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_BSTR;
        V_BSTR(&x) = b.get();
        return x;
    }
};

}  // namespace

TEST_F(DispatchTest, NamesMapToTheirDispidsWithoutRegardToCase) {
    struct Case {
        const char* name;
        DISPID id;
    };
    const Case cases[] = {
        {"Register", 0x12},
        {"registertemplate", 0x0F},
        {"VERIFYCOUNT", 0x11},
        {"ParentFont", 0x15},
        {"MatchFinger", 0x16},
        {"SetLanguageFile", 0xD7},
        {"Visible", 0xC9},
        {"Caption", -518},
        {"Color", -501},
        {"Font", -512},
        {"Enabled", -514},
        {"Cursor", 0x0E},
        {"FreeBuffer", 0xF4},
        {"PlayBeep", 0xEB},
        {"ReadTemplateFromCard", 0xE9},
        {"VisibleDockClientCount", 0xD8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(idOf(c.name), c.id);
    }
    std::u16string unknown = u"NoSuchMember";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    EXPECT_EQ(lumo()->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(DispatchTest, PropertiesThroughInvokeAgreeWithTheVtable) {
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke("VerifyCount", DISPATCH_PROPERTYPUT, {i4(9)}, nullptr), S_OK);
    LONG viaVtable = 0;
    ASSERT_EQ(lumo()->get_VerifyCount(&viaVtable), S_OK);
    EXPECT_EQ(viaVtable, 9);

    ASSERT_EQ(lumo()->put_CheckFinger(Bstr("0100000000").get()), S_OK);
    ASSERT_EQ(invoke("CheckFinger", DISPATCH_PROPERTYGET, {}, &result), S_OK);
    ASSERT_EQ(V_VT(&result), VT_BSTR);
    EXPECT_EQ(lumo::com::bstrToUtf8(V_BSTR(&result)), "0100000000");
    VariantClear(&result);

    // A property put of text converts to the declared type.
    Bstr four("4");
    ASSERT_EQ(invoke("DefaultRegFinger", DISPATCH_PROPERTYPUT, {str(four)}, nullptr), S_OK);
    ASSERT_EQ(lumo()->get_DefaultRegFinger(&viaVtable), S_OK);
    EXPECT_EQ(viaVtable, 4);

    ASSERT_EQ(invoke("IsAutoRegister", DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
}

TEST_F(DispatchTest, MethodsTakeArgumentsInDeclarationOrder) {
    engine->willReturn("AddRegTemplateStrToFPCacheDB", 17);
    Bstr tpl("TPL");
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke("AddRegTemplateToBuffer", DISPATCH_METHOD, {i4(3), i4(44), str(tpl)}, &result),
              S_OK);
    EXPECT_EQ(V_VT(&result), VT_I4);
    EXPECT_EQ(V_I4(&result), 17);
    EXPECT_EQ(engine->calls(),
              (std::vector<std::string>{"AddRegTemplateStrToFPCacheDB(3, 44, TPL)"}));

    // A method with no result.
    ASSERT_EQ(invoke("FreeBuffer", DISPATCH_METHOD, {i4(3)}, nullptr), S_OK);

    // Byte arrays come back as VT_ARRAY | VT_UI1.
    engine->willReturn("TextToTemplate", std::vector<std::uint8_t>{9, 8});
    ASSERT_EQ(invoke("DecodeTemplate", DISPATCH_METHOD, {str(tpl)}, &result), S_OK);
    ASSERT_EQ(V_VT(&result), VT_ARRAY | VT_UI1);
    EXPECT_EQ(lumo::com::vectorFromByteArray(V_ARRAY(&result)), (std::vector<std::uint8_t>{9, 8}));
    VariantClear(&result);
}

TEST_F(DispatchTest, FailuresArriveAsExceptionsWithTheirStatusAndDescription) {
    struct Case {
        const char* name;
        std::function<void()> script;
        HRESULT scode;
        std::string description;
    };
    const Case cases[] = {
        {"engine error message",
         [this] { engine->willThrow("CompressTemplateText", "bad template"); }, E_UNEXPECTED,
         "bad template"},
        {"engine error without message", [this] { engine->willThrow("CompressTemplateText", ""); },
         E_UNEXPECTED, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.script();
        Bstr tpl("x");
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excep{};
        ASSERT_EQ(invoke("CompressTemplate", DISPATCH_METHOD, {str(tpl)}, &result, &excep),
                  DISP_E_EXCEPTION);
        EXPECT_EQ(excep.scode, c.scode);
        const std::string description = lumo::com::bstrToUtf8(excep.bstrDescription);
        if (c.description.empty()) {
            EXPECT_FALSE(description.empty());  // the caller is still told something
        } else {
            EXPECT_EQ(description, c.description);
        }
        EXPECT_EQ(V_VT(&result), VT_EMPTY);
        lumo::com::clearExcepInfo(&excep);
    }

    // An error outside the dialog's own guard (the engine fails when asked whether it runs).
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    engine->alwaysThrow("Active", "sensor gone");
    ASSERT_EQ(invoke("Register", DISPATCH_METHOD, {}, &result, &excep), DISP_E_EXCEPTION);
    engine->clearThrow("Active");
    EXPECT_EQ(excep.scode, E_UNEXPECTED);
    EXPECT_EQ(lumo::com::bstrToUtf8(excep.bstrDescription), "sensor gone");
    lumo::com::clearExcepInfo(&excep);
    VariantClear(&result);

    // Without EXCEPINFO the member's own status, and the description in the error info.
    engine->willThrow("CompressTemplateText", "bad template");
    Bstr tpl("x");
    ASSERT_EQ(invoke("CompressTemplate", DISPATCH_METHOD, {str(tpl)}, &result), E_UNEXPECTED);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "bad template");
    VariantClear(&result);
}

TEST_F(DispatchTest, ErrorsHandledByTheMemberSucceedAfterTheirBox) {
    engine->willThrow("MatchTemplateStrings", "corrupt");
    Bstr a("A");
    Bstr b("B");
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke("MatchFinger", DISPATCH_METHOD, {str(a), str(b)}, &result), S_OK);
    EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
    EXPECT_EQ(boxes->texts(), (std::vector<std::string>{"MatchFinger error. corrupt"}));
}

namespace {

// An event sink that records the events it receives; OnKeyPress replaces the key.
class RecordingSink final : public lumo::com::ComObject<RecordingSink, IVIZErevorMainEvents> {
public:
    std::vector<DISPID> events;
    std::vector<SHORT> keys;
    SHORT replaceKeyWith = 0;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        events.push_back(id);
        if (id == LumoEventDispId::OnKeyPress) {
            EXPECT_EQ(params->cArgs, 1u);
            EXPECT_EQ(params->rgvarg[0].vt, VT_BYREF | VT_I2);
            keys.push_back(*params->rgvarg[0].piVal);
            *params->rgvarg[0].piVal = replaceKeyWith;
        } else {
            EXPECT_EQ(params->cArgs, 0u);
        }
        return S_OK;
    }
};

void click(QWidget* w) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

class EventsTest : public lumo::test::ControlFixture {};

}  // namespace

TEST_F(EventsTest, WithoutSinkClicksAndKeysRaiseNothing) {
    QWidget* form = control->form();
    click(form);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(form, &key);
    form->repaint();
    EXPECT_FALSE(control->hasEventSink());
}

TEST_F(EventsTest, ConnectedSinkReceivesClicksAndGivesTheKeyBack) {
    ComPtr<IConnectionPointContainer> container = control.query<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID_IVIZErevorMainEvents, point.put()), S_OK);
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(IID_ILumoMain, none.put()), CONNECT_E_NOCONNECTION);

    auto sink = lumo::com::makeObject<RecordingSink>();
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IVIZErevorMainEvents*>(sink.get()), &cookie), S_OK);
    EXPECT_TRUE(control->hasEventSink());

    QWidget* form = control->form();
    click(form);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &dbl);

    sink->replaceKeyWith = 'B';
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(form, &key);
    EXPECT_EQ(sink->keys, (std::vector<SHORT>{'a'}));

    std::vector<DISPID> expected{LumoEventDispId::OnClick, LumoEventDispId::OnDblClick,
                                 LumoEventDispId::OnKeyPress};
    EXPECT_EQ(sink->events, expected);

    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    click(form);
    EXPECT_EQ(sink->events, expected);  // nothing after Unadvise
}

TEST_F(EventsTest, DestroyingTheControlSendsOnDestroyToTheSink) {
    auto sink = lumo::com::makeObject<RecordingSink>();
    {
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(control.query<IConnectionPointContainer>()->FindConnectionPoint(
                      DIID_IVIZErevorMainEvents, point.put()),
                  S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(static_cast<IVIZErevorMainEvents*>(sink.get()), &cookie), S_OK);
    }
    control.reset();
    ASSERT_FALSE(sink->events.empty());
    EXPECT_EQ(sink->events.back(), LumoEventDispId::OnDestroy);
}

TEST_F(EventsTest, HostObtainsTheFormWidget) {
    ComPtr<ILumoActiveForm> hosting = control.query<ILumoActiveForm>();
    ASSERT_TRUE(hosting);
    QWidget* form = nullptr;
    ASSERT_EQ(hosting->GetFormWidget(&form), S_OK);
    EXPECT_EQ(form, control->form());
    EXPECT_EQ(form->objectName(), QStringLiteral("LumoMain"));

    VARIANT_BOOL visible = VARIANT_TRUE;
    ASSERT_EQ(lumo()->put_Visible(VARIANT_TRUE), S_OK);
    ASSERT_EQ(lumo()->get_Visible(&visible), S_OK);
    EXPECT_EQ(visible, VARIANT_TRUE);
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(lumo()->put_Visible(VARIANT_FALSE), S_OK);
    EXPECT_FALSE(form->isVisible());
}

namespace {

HRESULT fontGet(IDispatch* font, const char16_t* name, VARIANT* out) {
    std::u16string n(name);
    LPOLESTR names[] = {n.data()};
    DISPID id = 0;
    HRESULT hr = font->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return font->Invoke(id, IID_NULL, 0x409, DISPATCH_PROPERTYGET, &none, out, nullptr, nullptr);
}

HRESULT fontPut(IDispatch* font, const char16_t* name, VARIANT value) {
    std::u16string n(name);
    LPOLESTR names[] = {n.data()};
    DISPID id = 0;
    HRESULT hr = font->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    return font->Invoke(id, IID_NULL, 0x409, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                        nullptr);
}

}  // namespace

TEST_F(DispatchTest, FontIsAFontObjectOfTheForm) {
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(invoke("Font", DISPATCH_PROPERTYGET, {}, &result), S_OK);
    ASSERT_EQ(V_VT(&result), VT_DISPATCH);
    ComPtr<IDispatch> font = ComPtr<IDispatch>::attach(V_DISPATCH(&result));
    V_VT(&result) = VT_EMPTY;

    VARIANT v;
    VariantInit(&v);
    ASSERT_EQ(fontGet(font.get(), u"Name", &v), S_OK);
    EXPECT_EQ(lumo::com::bstrToUtf8(V_BSTR(&v)), control->form()->font().family().toStdString());
    VariantClear(&v);

    VARIANT on;
    VariantInit(&on);
    V_VT(&on) = VT_BOOL;
    V_BOOL(&on) = VARIANT_TRUE;
    ASSERT_EQ(fontPut(font.get(), u"Bold", on), S_OK);
    EXPECT_TRUE(control->form()->font().bold());
    ASSERT_EQ(fontPut(font.get(), u"Size", i4(14)), S_OK);
    EXPECT_EQ(control->form()->font().pointSize(), 14);
    EXPECT_EQ(fontPut(font.get(), u"Size", i4(0)), E_INVALIDARG);  // no size of 0

    // Another control takes this font over with a put.
    auto other = lumo::com::makeObject<lumo::control::TLumoMain>(engine, boxes);
    IFontDisp* asFont = static_cast<IFontDisp*>(font.get());
    ASSERT_EQ(other->put_Font(asFont), S_OK);
    EXPECT_TRUE(other->form()->font().bold());
    EXPECT_EQ(other->form()->font().pointSize(), 14);
    EXPECT_EQ(other->put_Font(nullptr), E_POINTER);
}

TEST_F(EventsTest, ConnectedSinkReceivesPaintAndActivation) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(control.query<IConnectionPointContainer>()->FindConnectionPoint(
                  DIID_IVIZErevorMainEvents, point.put()),
              S_OK);
    auto sink = lumo::com::makeObject<RecordingSink>();
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IVIZErevorMainEvents*>(sink.get()), &cookie), S_OK);

    QWidget* form = control->form();
    form->show();
    form->repaint();
    QApplication::setActiveWindow(form);
    QApplication::processEvents();
    auto has = [&](DISPID id) {
        return std::find(sink->events.begin(), sink->events.end(), id) != sink->events.end();
    };
    EXPECT_TRUE(has(LumoEventDispId::OnPaint));
    EXPECT_TRUE(has(LumoEventDispId::OnActivate));
    EXPECT_FALSE(has(LumoEventDispId::OnCreate));  // wired after creation: never sent
    form->hide();
    point->Unadvise(cookie);
}
