#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "platform/com/ComError.h"
#include "platform/com/ComObject.h"
#include "platform/com/DispatchTable.h"
#include "platform/com/ErrorGuard.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Utf16.h"

using lumo::com::Bstr;
using lumo::com::ComError;
using lumo::com::DispatchCall;
using lumo::com::MemberKind;
using lumo::com::ParamDirection;

namespace {

enum : DISPID {
    kValue = 1,
    kName = 2,
    kAdd = 3,
    kSwap = 4,
    kFail = 5,
    kUnexpected = 6,
    kEcho = 7,
    kBroken = 8,
    kEnabled = 9,
    kBareFailure = 10,
    kPartner = 11,
};

// A small object with one member of each shape, its methods written as a COM vtable
// method would be.
class Gadget final : public lumo::com::ComObject<Gadget, IDispatch> {
public:
    LONG m_value = 7;
    Bstr m_name{std::string_view("gadget")};
    VARIANT_BOOL m_enabled = VARIANT_FALSE;
    lumo::com::ComPtr<IDispatch> m_partner;

    HRESULT getValue(LONG* out) {
        *out = m_value;
        return S_OK;
    }
    HRESULT putValue(LONG value) {
        m_value = value;
        return S_OK;
    }
    HRESULT getName(BSTR* out) {
        return lumo::com::guarded([&] { *out = m_name.copy(); });
    }
    HRESULT putName(BSTR value) {
        return lumo::com::guarded([&] { m_name = Bstr::copyOf(value); });
    }
    HRESULT add(LONG a, SHORT b, LONG* out) {
        *out = a + b;
        return S_OK;
    }
    // In/out: each value changed the way a caller can check.
    HRESULT swap(BSTR* text, LONG* number, SHORT* small, VARIANT_BOOL* flag) {
        return lumo::com::guarded([&] {
            std::string changed = lumo::com::bstrToUtf8(*text) + "!";
            SysFreeString(*text);
            *text = lumo::com::allocBstr(changed);
            *number *= 2;
            *small += 1;
            *flag = *flag ? VARIANT_FALSE : VARIANT_TRUE;
        });
    }
    HRESULT fail(BSTR message, VARIANT_BOOL* out) {
        return lumo::com::guarded([&] {
            *out = VARIANT_TRUE;
            throw ComError(E_INVALIDARG, lumo::com::bstrToUtf8(message));
        });
    }
    HRESULT unexpected() {
        return lumo::com::guarded([] { throw std::runtime_error("Engine stopped"); });
    }
    HRESULT echo(const VARIANT& in, VARIANT* out) { return VariantCopy(out, &in); }

    static const lumo::com::DispatchTable<Gadget>& table() {
        static const lumo::com::DispatchTable<Gadget> members({
            {"Value",
             kValue,
             MemberKind::PropertyGet,
             {},
             VT_I4,
             [](Gadget& g, DispatchCall& c) { return g.getValue(c.i4Result()); }},
            {"Value",
             kValue,
             MemberKind::PropertyPut,
             {{"Value", VT_I4}},
             VT_EMPTY,
             [](Gadget& g, DispatchCall& c) { return g.putValue(c.i4(0)); }},
            {"Name",
             kName,
             MemberKind::PropertyGet,
             {},
             VT_BSTR,
             [](Gadget& g, DispatchCall& c) { return g.getName(c.bstrResult()); }},
            {"Name",
             kName,
             MemberKind::PropertyPut,
             {{"Value", VT_BSTR}},
             VT_EMPTY,
             [](Gadget& g, DispatchCall& c) { return g.putName(c.bstr(0)); }},
            {"Add",
             kAdd,
             MemberKind::Method,
             {{"A", VT_I4}, {"B", VT_I2}},
             VT_I4,
             [](Gadget& g, DispatchCall& c) { return g.add(c.i4(0), c.i2(1), c.i4Result()); }},
            {"Swap",
             kSwap,
             MemberKind::Method,
             {{"Text", VT_BSTR, ParamDirection::InOut},
              {"Number", VT_I4, ParamDirection::InOut},
              {"Small", VT_I2, ParamDirection::InOut},
              {"Flag", VT_BOOL, ParamDirection::InOut}},
             VT_EMPTY,
             [](Gadget& g, DispatchCall& c) {
                 return g.swap(c.bstrRef(0), c.i4Ref(1), c.i2Ref(2), c.boolRef(3));
             }},
            {"Fail",
             kFail,
             MemberKind::Method,
             {{"Message", VT_BSTR}},
             VT_BOOL,
             [](Gadget& g, DispatchCall& c) { return g.fail(c.bstr(0), c.boolResult()); }},
            {"Unexpected",
             kUnexpected,
             MemberKind::Method,
             {},
             VT_EMPTY,
             [](Gadget& g, DispatchCall&) { return g.unexpected(); }},
            {"Echo",
             kEcho,
             MemberKind::Method,
             {{"Any", VT_VARIANT}},
             VT_VARIANT,
             [](Gadget& g, DispatchCall& c) { return g.echo(c.variant(0), c.variantResult()); }},
            // Declares a string but reads a number: a table fault.
            {"Broken",
             kBroken,
             MemberKind::Method,
             {{"Text", VT_BSTR}},
             VT_EMPTY,
             [](Gadget& g, DispatchCall& c) { return g.putValue(c.i4(0)); }},
            {"Enabled",
             kEnabled,
             MemberKind::PropertyGet,
             {},
             VT_BOOL,
             [](Gadget& g, DispatchCall& c) {
                 *c.boolResult() = g.m_enabled;
                 return S_OK;
             }},
            {"Enabled",
             kEnabled,
             MemberKind::PropertyPut,
             {{"Value", VT_BOOL}},
             VT_EMPTY,
             [](Gadget& g, DispatchCall& c) {
                 g.m_enabled = c.boolean(0);
                 return S_OK;
             }},
            {"Partner",
             kPartner,
             MemberKind::PropertyGet,
             {},
             VT_DISPATCH,
             [](Gadget& g, DispatchCall& c) { return g.m_partner.copyTo(c.dispatchResult()); }},
            {"Partner",
             kPartner,
             MemberKind::PropertyPutRef,
             {{"Value", VT_DISPATCH}},
             VT_EMPTY,
             [](Gadget& g, DispatchCall& c) {
                 g.m_partner = lumo::com::ComPtr<IDispatch>(c.dispatch(0));
                 return S_OK;
             }},
            {"BareFailure",
             kBareFailure,
             MemberKind::Method,
             {},
             VT_EMPTY,
             [](Gadget&, DispatchCall&) { return E_FAIL; }},
        });
        return members;
    }

    LUMO_DISPATCH_FROM_TABLE(Gadget, table())
};

VARIANT i4(LONG v) {
    VARIANT r;
    VariantInit(&r);
    r.vt = VT_I4;
    r.lVal = v;
    return r;
}

VARIANT text(const char* s) {
    VARIANT r;
    VariantInit(&r);
    r.vt = VT_BSTR;
    r.bstrVal = lumo::com::allocBstr(std::string_view(s));
    return r;
}

VARIANT byref(VARTYPE vt, void* p) {
    VARIANT r;
    VariantInit(&r);
    r.vt = VT_BYREF | vt;
    r.byref = p;
    return r;
}

// Owns the arguments (given in declaration order) of one call and its outcome.
struct Call {
    std::vector<VARIANT> args;  // reversed, as DISPPARAMS wants them
    std::vector<DISPID> named;
    VARIANT result;
    EXCEPINFO excep{};
    UINT argErr = 12345;
    HRESULT hr = E_UNEXPECTED;

    Call(std::vector<VARIANT> inOrder) : args(inOrder.rbegin(), inOrder.rend()) {
        VariantInit(&result);
    }
    Call(Call&& other) noexcept
        : args(std::move(other.args)), named(std::move(other.named)), result(other.result) {
        other.args.clear();
        VariantInit(&other.result);
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    ~Call() {
        for (VARIANT& v : args) VariantClear(&v);
        VariantClear(&result);
        lumo::com::clearExcepInfo(&excep);
    }
    HRESULT invoke(IDispatch* target, DISPID id, WORD flags, bool withExcep = true) {
        DISPPARAMS params{args.empty() ? nullptr : args.data(),
                          named.empty() ? nullptr : named.data(), static_cast<UINT>(args.size()),
                          static_cast<UINT>(named.size())};
        hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result,
                            withExcep ? &excep : nullptr, &argErr);
        return hr;
    }
};

class DispatchTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_gadget = lumo::com::makeObject<Gadget>();
        m_bstrs = lumo::com::liveBstrCount();
        lumo::com::clearErrorInfo();
    }
    void TearDown() override {
        m_gadget.reset();
        lumo::com::clearErrorInfo();
        // The gadget's own name went with it.
        EXPECT_EQ(lumo::com::liveBstrCount(), m_bstrs - 1) << "BSTRs leaked";
    }
    IDispatch* dispatch() { return m_gadget.get(); }

    lumo::com::ComPtr<Gadget> m_gadget;
    long m_bstrs = 0;
};

}  // namespace

TEST_F(DispatchTableTest, NamesAreFoundWithoutRegardToCase) {
    struct Case {
        const char16_t* name;
        HRESULT hr;
        DISPID id;
    };
    const Case cases[] = {
        {u"Value", S_OK, kValue},
        {u"value", S_OK, kValue},
        {u"ADD", S_OK, kAdd},
        {u"sWaP", S_OK, kSwap},
        {u"Missing", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
        {u"Ad", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
        {u"Addx", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
        {u"", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(lumo::com::utf16ToUtf8(c.name));
        LPOLESTR names[] = {const_cast<LPOLESTR>(c.name)};
        DISPID id = 99;
        EXPECT_EQ(dispatch()->GetIDsOfNames(IID_NULL, names, 1, 0, &id), c.hr);
        EXPECT_EQ(id, c.id);
    }
}

TEST_F(DispatchTableTest, ParameterNamesMapToTheirIndex) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"swap"), const_cast<LPOLESTR>(u"flag"),
                        const_cast<LPOLESTR>(u"Nope"), const_cast<LPOLESTR>(u"TEXT")};
    DISPID ids[4];
    EXPECT_EQ(dispatch()->GetIDsOfNames(IID_NULL, names, 4, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kSwap);
    EXPECT_EQ(ids[1], 3);
    EXPECT_EQ(ids[2], DISPID_UNKNOWN);
    EXPECT_EQ(ids[3], 0);
    const IID other = IID_IDispatch;
    EXPECT_EQ(dispatch()->GetIDsOfNames(other, names, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
    UINT count = 9;
    EXPECT_EQ(dispatch()->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(DispatchTableTest, PropertiesGetAndPut) {
    Call get({});
    ASSERT_EQ(get.invoke(dispatch(), kValue, DISPATCH_PROPERTYGET), S_OK);
    EXPECT_EQ(get.result.vt, VT_I4);
    EXPECT_EQ(get.result.lVal, 7);

    Call put({text("41")});  // converted to the declared 32-bit integer
    put.named = {DISPID_PROPERTYPUT};
    ASSERT_EQ(put.invoke(dispatch(), kValue, DISPATCH_PROPERTYPUT), S_OK);
    EXPECT_EQ(put.result.vt, VT_EMPTY);
    EXPECT_EQ(m_gadget->m_value, 41);

    Call putName({text("renamed")});
    putName.named = {DISPID_PROPERTYPUT};
    ASSERT_EQ(putName.invoke(dispatch(), kName, DISPATCH_PROPERTYPUT), S_OK);
    Call getName({});
    // Hosts often ask for "method or property"; the property answers.
    ASSERT_EQ(getName.invoke(dispatch(), kName, DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
    EXPECT_EQ(lumo::com::bstrToUtf8(getName.result.bstrVal), "renamed");

    Call putBool({text("True")});
    putBool.named = {DISPID_PROPERTYPUT};
    ASSERT_EQ(putBool.invoke(dispatch(), kEnabled, DISPATCH_PROPERTYPUT), S_OK);
    EXPECT_EQ(m_gadget->m_enabled, VARIANT_TRUE);
}

TEST_F(DispatchTableTest, ArgumentsArriveInDeclarationOrder) {
    Call add({i4(100), text("-3")});
    ASSERT_EQ(add.invoke(dispatch(), kAdd, DISPATCH_METHOD), S_OK);
    EXPECT_EQ(add.result.vt, VT_I4);
    EXPECT_EQ(add.result.lVal, 97);

    // B given by name: rgvarg holds the named argument first.
    Call named({});
    named.args = {i4(5), i4(1000)};  // [0] named B, [1] positional A
    named.named = {1};
    ASSERT_EQ(named.invoke(dispatch(), kAdd, DISPATCH_METHOD), S_OK);
    EXPECT_EQ(named.result.lVal, 1005);
}

TEST_F(DispatchTableTest, FailuresOfTheCallItself) {
    struct Case {
        const char* name;
        std::function<Call()> make;
        DISPID id;
        WORD flags;
        HRESULT hr;
        UINT argErr;  // 12345: left alone
    };
    const Case cases[] = {
        {"unknown DISPID", [] { return Call({}); }, 77, DISPATCH_METHOD, DISP_E_MEMBERNOTFOUND,
         12345},
        {"method called as property",
         [] {
             return Call({i4(1), i4(2)});
         },
         kAdd, DISPATCH_PROPERTYGET, DISP_E_MEMBERNOTFOUND, 12345},
        {"put of a method",
         [] {
             Call c({i4(1)});
             c.named = {DISPID_PROPERTYPUT};
             return c;
         },
         kAdd, DISPATCH_PROPERTYPUT, DISP_E_MEMBERNOTFOUND, 12345},
        {"property called as method", [] { return Call({}); }, kValue, DISPATCH_METHOD,
         DISP_E_MEMBERNOTFOUND, 12345},
        {"put by reference without such member",
         [] {
             Call c({i4(1)});
             c.named = {DISPID_PROPERTYPUT};
             return c;
         },
         kValue, DISPATCH_PROPERTYPUTREF, DISP_E_MEMBERNOTFOUND, 12345},
        {"too many arguments",
         [] {
             return Call({i4(1), i4(2), i4(3)});
         },
         kAdd, DISPATCH_METHOD, DISP_E_BADPARAMCOUNT, 12345},
        {"argument to a getter", [] { return Call({i4(1)}); }, kValue, DISPATCH_PROPERTYGET,
         DISP_E_BADPARAMCOUNT, 12345},
        {"too few arguments", [] { return Call({i4(1)}); }, kAdd, DISPATCH_METHOD,
         DISP_E_PARAMNOTOPTIONAL, 12345},
        {"argument marked missing",
         [] {
             VARIANT missing;
             VariantInit(&missing);
             missing.vt = VT_ERROR;
             missing.scode = DISP_E_PARAMNOTFOUND;
             return Call({i4(1), missing});
         },
         kAdd, DISPATCH_METHOD, DISP_E_PARAMNOTOPTIONAL, 0},
        {"put without its named argument", [] { return Call({i4(1)}); }, kValue,
         DISPATCH_PROPERTYPUT, DISP_E_PARAMNOTOPTIONAL, 12345},
        {"named argument out of range",
         [] {
             Call c({i4(1), i4(2)});
             c.named = {5};
             return c;
         },
         kAdd, DISPATCH_METHOD, DISP_E_PARAMNOTFOUND, 0},
        {"text for a number",
         [] {
             return Call({text("abc"), i4(2)});
         },
         kAdd, DISPATCH_METHOD, DISP_E_TYPEMISMATCH, 1},
        {"second argument mismatched",
         [] {
             return Call({i4(1), text("x")});
         },
         kAdd, DISPATCH_METHOD, DISP_E_TYPEMISMATCH, 0},
        {"overflow of a 16-bit parameter",
         [] {
             return Call({i4(1), i4(40000)});
         },
         kAdd, DISPATCH_METHOD, DISP_E_OVERFLOW, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Call call = c.make();
        EXPECT_EQ(call.invoke(dispatch(), c.id, c.flags), c.hr);
        EXPECT_EQ(call.argErr, c.argErr);
        EXPECT_EQ(call.result.vt, VT_EMPTY);
    }
    EXPECT_EQ(m_gadget->m_value, 7);
}

TEST_F(DispatchTableTest, InOutParametersAreWrittenBack) {
    BSTR word = SysAllocString(u"key");
    LONG number = 21;
    SHORT small = 4;
    VARIANT_BOOL flag = VARIANT_TRUE;
    {
        Call call({byref(VT_BSTR, &word), byref(VT_I4, &number), byref(VT_I2, &small),
                   byref(VT_BOOL, &flag)});
        ASSERT_EQ(call.invoke(dispatch(), kSwap, DISPATCH_METHOD), S_OK);
    }
    EXPECT_EQ(lumo::com::bstrToUtf8(word), "key!");
    EXPECT_EQ(number, 42);
    EXPECT_EQ(small, 5);
    EXPECT_EQ(flag, VARIANT_FALSE);
    SysFreeString(word);

    // References to variants take the declared type; plain values are used and not returned.
    VARIANT holder = i4(8);  // a number where a string is declared
    VARIANT numberHolder = text("10");
    {
        Call call({byref(VT_VARIANT, &holder), byref(VT_VARIANT, &numberHolder), i4(1),
                   byref(VT_BOOL, &flag)});
        ASSERT_EQ(call.invoke(dispatch(), kSwap, DISPATCH_METHOD), S_OK);
    }
    EXPECT_EQ(holder.vt, VT_BSTR);
    EXPECT_EQ(lumo::com::bstrToUtf8(holder.bstrVal), "8!");
    EXPECT_EQ(numberHolder.vt, VT_I4);
    EXPECT_EQ(numberHolder.lVal, 20);
    EXPECT_EQ(flag, VARIANT_TRUE);
    VariantClear(&holder);
    VariantClear(&numberHolder);
}

TEST_F(DispatchTableTest, InOutReferenceOfAnotherTypeIsRefused) {
    BSTR word = SysAllocString(u"key");
    LONG wrong = 3;  // a 32-bit reference where a 16-bit one is declared
    LONG number = 1;
    VARIANT_BOOL flag = VARIANT_TRUE;
    {
        Call call({byref(VT_BSTR, &word), byref(VT_I4, &number), byref(VT_I4, &wrong),
                   byref(VT_BOOL, &flag)});
        EXPECT_EQ(call.invoke(dispatch(), kSwap, DISPATCH_METHOD), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(call.argErr, 1u);
    }
    // Nothing was changed or freed.
    EXPECT_EQ(lumo::com::bstrToUtf8(word), "key");
    EXPECT_EQ(number, 1);
    SysFreeString(word);
}

TEST_F(DispatchTableTest, MemberFailureBecomesAnException) {
    struct Case {
        const char* name;
        DISPID id;
        std::function<std::vector<VARIANT>()> args;
        HRESULT scode;
        std::string description;
    };
    const Case cases[] = {
        {"ComError", kFail, [] { return std::vector<VARIANT>{text("Finger not placed \xC3\xBC")}; },
         E_INVALIDARG, "Finger not placed \xC3\xBC"},
        {"other exception", kUnexpected, [] { return std::vector<VARIANT>{}; }, E_UNEXPECTED,
         "Engine stopped"},
        {"table fault", kBroken, [] { return std::vector<VARIANT>{text("x")}; }, E_UNEXPECTED,
         "Member table and thunk disagree on parameter 1"},
        {"failure without error info", kBareFailure, [] { return std::vector<VARIANT>{}; }, E_FAIL,
         "The operation failed (0x80004005)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Call call(c.args());
        EXPECT_EQ(call.invoke(dispatch(), c.id, DISPATCH_METHOD), DISP_E_EXCEPTION);
        EXPECT_EQ(call.excep.scode, c.scode);
        EXPECT_EQ(lumo::com::bstrToUtf8(call.excep.bstrDescription), c.description);
        EXPECT_EQ(call.result.vt, VT_EMPTY) << "a failed call returns no result";
        // The error info went into EXCEPINFO.
        EXPECT_EQ(lumo::com::takeErrorDescription(), "");
    }
}

TEST_F(DispatchTableTest, WithoutExcepInfoTheStatusAndErrorInfoRemain) {
    Call call({text("no room")});
    EXPECT_EQ(call.invoke(dispatch(), kFail, DISPATCH_METHOD, false), E_INVALIDARG);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "no room");
}

TEST_F(DispatchTableTest, VariantParametersPassAnyValue) {
    VARIANT bytes;
    VariantInit(&bytes);
    bytes.vt = VT_ARRAY | VT_UI1;
    bytes.parray = lumo::com::byteArrayFromVector({1, 2, 3});
    const long arrays = lumo::com::liveSafeArrayCount();
    {
        Call call({byref(VT_VARIANT, &bytes)});
        ASSERT_EQ(call.invoke(dispatch(), kEcho, DISPATCH_METHOD), S_OK);
        ASSERT_EQ(call.result.vt, VT_ARRAY | VT_UI1);
        EXPECT_NE(call.result.parray, bytes.parray);
        EXPECT_EQ(lumo::com::vectorFromByteArray(call.result.parray),
                  (std::vector<std::uint8_t>{1, 2, 3}));
    }
    EXPECT_EQ(lumo::com::liveSafeArrayCount(), arrays);
    VariantClear(&bytes);
}

TEST_F(DispatchTableTest, ResultMayBeIgnored) {
    VARIANT args[] = {text("x")};
    DISPPARAMS params{args, nullptr, 1, 0};
    EXCEPINFO excep{};
    EXPECT_EQ(
        dispatch()->Invoke(kFail, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &excep, nullptr),
        DISP_E_EXCEPTION);
    lumo::com::clearExcepInfo(&excep);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch()->Invoke(kName, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr,
                                 nullptr),
              S_OK);
    VariantClear(&args[0]);
}

TEST_F(DispatchTableTest, InterfacePropertiesArePutByReference) {
    auto partner = lumo::com::makeObject<Gadget>();
    {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_UNKNOWN;  // asked for IDispatch on the way in
        value.punkVal = static_cast<IDispatch*>(partner.get());
        partner->AddRef();
        Call put({value});
        put.named = {DISPID_PROPERTYPUT};
        EXPECT_EQ(put.invoke(dispatch(), kPartner, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
        ASSERT_EQ(put.invoke(dispatch(), kPartner, DISPATCH_PROPERTYPUTREF), S_OK);
    }
    EXPECT_EQ(partner->referenceCount(), 2u);
    {
        Call get({});
        ASSERT_EQ(get.invoke(dispatch(), kPartner, DISPATCH_PROPERTYGET), S_OK);
        ASSERT_EQ(get.result.vt, VT_DISPATCH);
        EXPECT_EQ(get.result.pdispVal, static_cast<IDispatch*>(partner.get()));
        EXPECT_EQ(partner->referenceCount(), 3u);
    }
    m_gadget->m_partner.reset();
    EXPECT_EQ(partner->referenceCount(), 1u);
}
