#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <optional>

#include "TestObjects.h"
#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

using lumo::com::liveBstrCount;
using lumo::com::liveSafeArrayCount;

namespace {

VARIANT i2(SHORT value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT i4(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT boolean(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT text(const char* utf8) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = lumo::com::allocBstr(std::string_view(utf8));
    return v;
}

VARIANT real(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT ofType(VARTYPE vt) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

// Integer value of an integer or boolean variant, or the text of a string variant.
std::string describe(const VARIANT& v) {
    switch (v.vt) {
        case VT_I2:
            return "I2:" + std::to_string(v.iVal);
        case VT_I4:
            return "I4:" + std::to_string(v.lVal);
        case VT_UI1:
            return "UI1:" + std::to_string(v.bVal);
        case VT_BOOL:
            return "BOOL:" + std::to_string(v.boolVal);
        case VT_BSTR:
            return "BSTR:" + lumo::com::bstrToUtf8(v.bstrVal);
        case VT_EMPTY:
            return "EMPTY";
        default:
            return "vt " + std::to_string(v.vt);
    }
}

class VariantTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_bstrs = liveBstrCount();
        m_arrays = liveSafeArrayCount();
    }
    void TearDown() override {
        EXPECT_EQ(liveBstrCount(), m_bstrs) << "BSTRs leaked";
        EXPECT_EQ(liveSafeArrayCount(), m_arrays) << "arrays leaked";
    }
    long m_bstrs = 0;
    long m_arrays = 0;
};

}  // namespace

TEST_F(VariantTest, KeepsTheWindowsLayout) {
    EXPECT_EQ(sizeof(VARIANT), 24u);
    EXPECT_EQ(offsetof(VARIANT, vt), 0u);
    EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
    EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
    EXPECT_EQ(sizeof(SAFEARRAY), 32u);
    EXPECT_EQ(offsetof(SAFEARRAY, pvData), 16u);
    EXPECT_EQ(offsetof(SAFEARRAY, rgsabound), 24u);
}

TEST_F(VariantTest, ChangeTypeTable) {
    struct Case {
        const char* name;
        std::function<VARIANT()> source;
        VARTYPE target;
        USHORT flags;
        HRESULT hr;
        const char* result;  // describe() of the result when hr is S_OK
    };
    const Case cases[] = {
        {"I4 fits I2", [] { return i4(-32768); }, VT_I2, 0, S_OK, "I2:-32768"},
        {"I4 top of I2", [] { return i4(32767); }, VT_I2, 0, S_OK, "I2:32767"},
        {"I4 above I2", [] { return i4(32768); }, VT_I2, 0, DISP_E_OVERFLOW, nullptr},
        {"I4 below I2", [] { return i4(-32769); }, VT_I2, 0, DISP_E_OVERFLOW, nullptr},
        {"I2 to I4", [] { return i2(-5); }, VT_I4, 0, S_OK, "I4:-5"},
        {"I4 above UI1", [] { return i4(256); }, VT_UI1, 0, DISP_E_OVERFLOW, nullptr},
        {"I4 negative to UI1", [] { return i4(-1); }, VT_UI1, 0, DISP_E_OVERFLOW, nullptr},
        {"true to I2", [] { return boolean(true); }, VT_I2, 0, S_OK, "I2:-1"},
        {"true to I4", [] { return boolean(true); }, VT_I4, 0, S_OK, "I4:-1"},
        {"false to I4", [] { return boolean(false); }, VT_I4, 0, S_OK, "I4:0"},
        {"I4 5 to bool", [] { return i4(5); }, VT_BOOL, 0, S_OK, "BOOL:-1"},
        {"I4 0 to bool", [] { return i4(0); }, VT_BOOL, 0, S_OK, "BOOL:0"},
        {"true to text", [] { return boolean(true); }, VT_BSTR, 0, S_OK, "BSTR:-1"},
        {"false to text", [] { return boolean(false); }, VT_BSTR, 0, S_OK, "BSTR:0"},
        {"true to alpha text", [] { return boolean(true); }, VT_BSTR, VARIANT_ALPHABOOL, S_OK,
         "BSTR:True"},
        {"false to alpha text", [] { return boolean(false); }, VT_BSTR, VARIANT_ALPHABOOL, S_OK,
         "BSTR:False"},
        {"text True", [] { return text("True"); }, VT_BOOL, 0, S_OK, "BOOL:-1"},
        {"text false", [] { return text("false"); }, VT_BOOL, 0, S_OK, "BOOL:0"},
        {"text TRUE blanks", [] { return text("  TRUE "); }, VT_BOOL, 0, S_OK, "BOOL:-1"},
        {"text -1 to bool", [] { return text("-1"); }, VT_BOOL, 0, S_OK, "BOOL:-1"},
        {"text 0 to bool", [] { return text("0"); }, VT_BOOL, 0, S_OK, "BOOL:0"},
        {"text 7 to bool", [] { return text("7"); }, VT_BOOL, 0, S_OK, "BOOL:-1"},
        {"text yes to bool", [] { return text("yes"); }, VT_BOOL, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"empty text to bool", [] { return text(""); }, VT_BOOL, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"text to I4", [] { return text("123"); }, VT_I4, 0, S_OK, "I4:123"},
        {"text with blanks", [] { return text(" -45 "); }, VT_I2, 0, S_OK, "I2:-45"},
        {"text with plus", [] { return text("+7"); }, VT_I4, 0, S_OK, "I4:7"},
        {"text top of I4", [] { return text("2147483647"); }, VT_I4, 0, S_OK, "I4:2147483647"},
        {"text above I4", [] { return text("2147483648"); }, VT_I4, 0, DISP_E_OVERFLOW, nullptr},
        {"text above I2", [] { return text("40000"); }, VT_I2, 0, DISP_E_OVERFLOW, nullptr},
        {"huge text", [] { return text("99999999999999999999999999"); }, VT_I4, 0, DISP_E_OVERFLOW,
         nullptr},
        {"half rounds to even down", [] { return text("2.5"); }, VT_I4, 0, S_OK, "I4:2"},
        {"half rounds to even up", [] { return text("3.5"); }, VT_I4, 0, S_OK, "I4:4"},
        {"trailing garbage", [] { return text("12abc"); }, VT_I4, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"empty text", [] { return text(""); }, VT_I4, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"sign only", [] { return text("-"); }, VT_I4, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"two points", [] { return text("1.2.3"); }, VT_I4, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"word True to I4", [] { return text("True"); }, VT_I4, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"I4 to text", [] { return i4(-123); }, VT_BSTR, 0, S_OK, "BSTR:-123"},
        {"I2 zero to text", [] { return i2(0); }, VT_BSTR, 0, S_OK, "BSTR:0"},
        {"real to I4", [] { return real(-2.5); }, VT_I4, 0, S_OK, "I4:-2"},
        {"real above I4", [] { return real(1e10); }, VT_I4, 0, DISP_E_OVERFLOW, nullptr},
        {"empty to I4", [] { return ofType(VT_EMPTY); }, VT_I4, 0, S_OK, "I4:0"},
        {"empty to text", [] { return ofType(VT_EMPTY); }, VT_BSTR, 0, S_OK, "BSTR:"},
        {"empty to bool", [] { return ofType(VT_EMPTY); }, VT_BOOL, 0, S_OK, "BOOL:0"},
        {"null to I4", [] { return ofType(VT_NULL); }, VT_I4, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"I4 to dispatch", [] { return i4(1); }, VT_DISPATCH, 0, DISP_E_TYPEMISMATCH, nullptr},
        {"text to array", [] { return text("1"); }, VT_ARRAY | VT_UI1, 0, DISP_E_TYPEMISMATCH,
         nullptr},
        {"to unsupported type", [] { return i4(1); }, VT_CY, 0, DISP_E_BADVARTYPE, nullptr},
        {"text to text", [] { return text("same"); }, VT_BSTR, 0, S_OK, "BSTR:same"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VARIANT src = c.source();
        VARIANT dest;
        VariantInit(&dest);
        const HRESULT hr = VariantChangeType(&dest, &src, c.flags, c.target);
        EXPECT_EQ(hr, c.hr);
        if (hr == S_OK && c.result) {
            EXPECT_EQ(dest.vt, c.target);
            EXPECT_EQ(describe(dest), c.result);
        }
        if (FAILED(hr)) {
            EXPECT_EQ(dest.vt, VT_EMPTY) << "destination touched on failure";
        }
        if (c.target == VT_BSTR && hr == S_OK && src.vt == VT_BSTR) {
            EXPECT_NE(dest.bstrVal, src.bstrVal) << "copy shares the string";
        }
        VariantClear(&src);
        VariantClear(&dest);
    }
}

TEST_F(VariantTest, ChangeTypeReadsThroughReferences) {
    SHORT shortValue = 12;
    LONG longValue = 70000;
    VARIANT_BOOL flag = VARIANT_TRUE;
    BSTR word = SysAllocString(u"34");
    VARIANT inner = text("56");

    struct Case {
        const char* name;
        VARTYPE vt;
        void* ref;
        VARTYPE target;
        HRESULT hr;
        const char* result;
    };
    const Case cases[] = {
        {"byref I2", VT_BYREF | VT_I2, &shortValue, VT_I4, S_OK, "I4:12"},
        {"byref I4 overflow", VT_BYREF | VT_I4, &longValue, VT_I2, DISP_E_OVERFLOW, nullptr},
        {"byref bool", VT_BYREF | VT_BOOL, &flag, VT_BSTR, S_OK, "BSTR:-1"},
        {"byref BSTR", VT_BYREF | VT_BSTR, &word, VT_I4, S_OK, "I4:34"},
        {"byref variant", VT_BYREF | VT_VARIANT, &inner, VT_I2, S_OK, "I2:56"},
        {"byref null pointer", VT_BYREF | VT_I4, nullptr, VT_I4, E_INVALIDARG, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VARIANT ref = ofType(c.vt);
        ref.byref = c.ref;
        VARIANT dest;
        VariantInit(&dest);
        EXPECT_EQ(VariantChangeType(&dest, &ref, 0, c.target), c.hr);
        if (c.result) {
            EXPECT_EQ(describe(dest), c.result);
        }
        VariantClear(&dest);
        // Clearing a reference frees nothing it points to.
        EXPECT_EQ(VariantClear(&ref), S_OK);
    }
    EXPECT_EQ(lumo::com::bstrToUtf8(word), "34");
    EXPECT_EQ(describe(inner), "BSTR:56");
    SysFreeString(word);
    VariantClear(&inner);
}

TEST_F(VariantTest, ChangeTypeInPlaceFreesTheOldValue) {
    VARIANT v = text("42");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
    EXPECT_EQ(describe(v), "I4:42");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(describe(v), "BSTR:42");
    // A failed conversion in place leaves the value alone.
    VARIANT bad = text("forty");
    EXPECT_EQ(VariantChangeType(&bad, &bad, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(describe(bad), "BSTR:forty");
    VariantClear(&v);
    VariantClear(&bad);
}

TEST_F(VariantTest, ClearReleasesEveryKind) {
    bool destroyed = false;
    auto object = lumo::com::makeObject<lumo::com::test::CountedDispatch>(&destroyed);

    VARIANT kinds[6];
    kinds[0] = i4(1);
    kinds[1] = text("owned");
    kinds[2] = ofType(VT_DISPATCH);
    kinds[2].pdispVal = object.get();
    object->AddRef();
    kinds[3] = ofType(VT_UNKNOWN);
    kinds[3].punkVal = object.get();
    object->AddRef();
    kinds[4] = ofType(VT_ARRAY | VT_UI1);
    kinds[4].parray = lumo::com::byteArrayFromVector({1, 2, 3});
    kinds[5] = ofType(VT_DISPATCH);  // a null interface is allowed
    EXPECT_EQ(object->referenceCount(), 3u);

    for (VARIANT& v : kinds) {
        SCOPED_TRACE(v.vt);
        EXPECT_EQ(VariantClear(&v), S_OK);
        EXPECT_EQ(v.vt, VT_EMPTY);
    }
    EXPECT_EQ(object->referenceCount(), 1u);
    object.reset();
    EXPECT_TRUE(destroyed);

    VARIANT unknownType = ofType(0x0FFF);
    EXPECT_EQ(VariantClear(&unknownType), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST_F(VariantTest, ClearRefusesALockedArray) {
    VARIANT v = ofType(VT_ARRAY | VT_UI1);
    v.parray = lumo::com::byteArrayFromVector({9});
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(v.parray, &data), S_OK);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);
    SafeArrayUnaccessData(v.parray);
    EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST_F(VariantTest, CopyIsDeep) {
    auto object = lumo::com::makeObject<lumo::com::test::CountedDispatch>();

    VARIANT s = text("deep");
    VARIANT a = ofType(VT_ARRAY | VT_UI1);
    a.parray = lumo::com::byteArrayFromVector({4, 5, 6});
    VARIANT d = ofType(VT_DISPATCH);
    d.pdispVal = object.get();
    object->AddRef();

    VARIANT s2, a2, d2;
    VariantInit(&s2);
    VariantInit(&a2);
    d2 = i4(3);  // overwritten: the old value is cleared first
    ASSERT_EQ(VariantCopy(&s2, &s), S_OK);
    ASSERT_EQ(VariantCopy(&a2, &a), S_OK);
    ASSERT_EQ(VariantCopy(&d2, &d), S_OK);

    EXPECT_NE(s2.bstrVal, s.bstrVal);
    EXPECT_EQ(describe(s2), "BSTR:deep");
    EXPECT_NE(a2.parray, a.parray);
    EXPECT_EQ(lumo::com::vectorFromByteArray(a2.parray), (std::vector<std::uint8_t>{4, 5, 6}));
    EXPECT_EQ(d2.pdispVal, d.pdispVal);
    EXPECT_EQ(object->referenceCount(), 3u);

    // Freeing the originals leaves the copies whole.
    VariantClear(&s);
    VariantClear(&a);
    VariantClear(&d);
    EXPECT_EQ(describe(s2), "BSTR:deep");
    EXPECT_EQ(lumo::com::vectorFromByteArray(a2.parray).size(), 3u);
    VariantClear(&s2);
    VariantClear(&a2);
    VariantClear(&d2);
    EXPECT_EQ(object->referenceCount(), 1u);

    EXPECT_EQ(VariantCopy(&s2, &s2), S_OK);
}

TEST_F(VariantTest, CopyOfAReferenceIsShallowCopyIndIsNot) {
    BSTR word = SysAllocString(u"ref");
    VARIANT ref = ofType(VT_BYREF | VT_BSTR);
    ref.pbstrVal = &word;

    VARIANT shallow;
    VariantInit(&shallow);
    ASSERT_EQ(VariantCopy(&shallow, &ref), S_OK);
    EXPECT_EQ(shallow.pbstrVal, &word);

    VARIANT deep;
    VariantInit(&deep);
    ASSERT_EQ(VariantCopyInd(&deep, &ref), S_OK);
    EXPECT_EQ(deep.vt, VT_BSTR);
    EXPECT_NE(deep.bstrVal, word);
    EXPECT_EQ(describe(deep), "BSTR:ref");

    VariantClear(&shallow);
    VariantClear(&deep);
    SysFreeString(word);
}

TEST_F(VariantTest, InterfacesConvertBetweenUnknownAndDispatch) {
    auto object = lumo::com::makeObject<lumo::com::test::CountedDispatch>();
    VARIANT unknown = ofType(VT_UNKNOWN);
    unknown.punkVal = static_cast<IDispatch*>(object.get());
    object->AddRef();

    VARIANT dispatch;
    VariantInit(&dispatch);
    ASSERT_EQ(VariantChangeType(&dispatch, &unknown, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(dispatch.pdispVal, static_cast<IDispatch*>(object.get()));
    EXPECT_EQ(object->referenceCount(), 3u);
    EXPECT_EQ(VariantChangeType(&dispatch, &dispatch, 0, VT_I4), DISP_E_TYPEMISMATCH);
    VariantClear(&dispatch);
    VariantClear(&unknown);
    EXPECT_EQ(object->referenceCount(), 1u);
}
