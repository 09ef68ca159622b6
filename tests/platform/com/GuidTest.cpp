#include <gtest/gtest.h>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComError.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Guid.h"

using lumo::com::guidToString;
using lumo::com::parseGuid;
using lumo::com::tryParseGuid;

TEST(GuidTest, FormatsUpperCaseBraced) {
    const GUID libid = {
        0x75A1B333, 0x5B25, 0x4450, {0x93, 0xEF, 0x46, 0xA9, 0x51, 0xCD, 0xAD, 0x6B}};
    EXPECT_EQ(guidToString(libid), "{75A1B333-5B25-4450-93EF-46A951CDAD6B}");
    EXPECT_EQ(guidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidTest, WellKnownInterfaceIds) {
    struct Case {
        const GUID& iid;
        const char* text;
    };
    const Case cases[] = {
        {IID_IUnknown, "{00000000-0000-0000-C000-000000000046}"},
        {IID_IDispatch, "{00020400-0000-0000-C000-000000000046}"},
        {IID_IClassFactory, "{00000001-0000-0000-C000-000000000046}"},
        {IID_IConnectionPointContainer, "{B196B284-BAB4-101A-B69C-00AA00341D07}"},
        {IID_IConnectionPoint, "{B196B286-BAB4-101A-B69C-00AA00341D07}"},
        {IID_ISupportErrorInfo, "{DF0B3D60-548F-101B-8E65-08002B2BD119}"},
        {IID_IErrorInfo, "{1CF2B120-547D-101B-8E65-08002B2BD119}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(guidToString(c.iid), c.text);
        EXPECT_EQ(parseGuid(c.text), c.iid);
    }
}

TEST(GuidTest, ParsesEitherCaseAndRoundTrips) {
    const char* texts[] = {
        "{E9A5302A-F08E-4929-9717-79CDC84F2490}",
        "{e9a5302a-f08e-4929-9717-79cdc84f2490}",
        "{E9a5302A-f08E-4929-9717-79CdC84f2490}",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const auto guid = tryParseGuid(text);
        ASSERT_TRUE(guid.has_value());
        EXPECT_EQ(guid->Data1, 0xE9A5302Au);
        EXPECT_EQ(guid->Data2, 0xF08E);
        EXPECT_EQ(guid->Data3, 0x4929);
        EXPECT_EQ(guid->Data4[0], 0x97);
        EXPECT_EQ(guid->Data4[7], 0x90);
        EXPECT_EQ(guidToString(*guid), "{E9A5302A-F08E-4929-9717-79CDC84F2490}");
    }
}

TEST(GuidTest, RejectsMalformedText) {
    const char* texts[] = {
        "",
        "{}",
        "E9A5302A-F08E-4929-9717-79CDC84F2490",     // no braces
        "{E9A5302A-F08E-4929-9717-79CDC84F2490",    // no closing brace
        "(E9A5302A-F08E-4929-9717-79CDC84F2490)",   // wrong brackets
        "{E9A5302A-F08E-4929-9717-79CDC84F249}",    // a digit short
        "{E9A5302A-F08E-4929-9717-79CDC84F24900}",  // a digit too many
        "{E9A5302AF-08E-4929-9717-79CDC84F2490}",   // hyphen moved
        "{E9A5302A F08E-4929-9717-79CDC84F2490}",   // blank for hyphen
        "{G9A5302A-F08E-4929-9717-79CDC84F2490}",   // not hex
        "{E9A5302A-F08E-4929-9717-79CDC84F249 }",   // blank inside
        " {E9A5302A-F08E-4929-9717-79CDC84F2490}",  // leading blank
        "{+9A5302A-F08E-4929-9717-79CDC84F2490}",   // sign
        "{E9A5302A-F08E-4929-9717-79CDC84F2490}x",  // trailing garbage
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(tryParseGuid(text).has_value());
        try {
            parseGuid(text);
            ADD_FAILURE() << "accepted";
        } catch (const lumo::com::ComError& e) {
            EXPECT_EQ(e.hresult(), CO_E_CLASSSTRING);
            EXPECT_NE(std::string(e.what()).find(text), std::string::npos);
        }
    }
}

TEST(GuidTest, WindowsStyleFunctions) {
    OLECHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(IID_IDispatch, buffer, 38), 0);
    ASSERT_EQ(StringFromGUID2(IID_IDispatch, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), u"{00020400-0000-0000-C000-000000000046}");

    CLSID clsid;
    EXPECT_EQ(CLSIDFromString(buffer, &clsid), S_OK);
    EXPECT_EQ(clsid, IID_IDispatch);
    EXPECT_EQ(CLSIDFromString(u"{00020400-0000-0000-C000-00000000004\u00e9}", &clsid),
              CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(u"Lumo.LumoMain", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), E_POINTER);
}

TEST(GuidTest, StatusCodesHaveWindowsValues) {
    struct Case {
        HRESULT hr;
        unsigned value;
    };
    const Case cases[] = {
        {S_OK, 0},
        {S_FALSE, 1},
        {E_UNEXPECTED, 0x8000FFFF},
        {E_NOTIMPL, 0x80004001},
        {E_NOINTERFACE, 0x80004002},
        {E_POINTER, 0x80004003},
        {E_FAIL, 0x80004005},
        {E_INVALIDARG, 0x80070057},
        {E_OUTOFMEMORY, 0x8007000E},
        {CLASS_E_CLASSNOTAVAILABLE, 0x80040111},
        {CLASS_E_NOAGGREGATION, 0x80040110},
        {REGDB_E_CLASSNOTREG, 0x80040154},
        {DISP_E_MEMBERNOTFOUND, 0x80020003},
        {DISP_E_UNKNOWNNAME, 0x80020006},
        {DISP_E_TYPEMISMATCH, 0x80020005},
        {DISP_E_BADPARAMCOUNT, 0x8002000E},
        {DISP_E_EXCEPTION, 0x80020009},
        {DISP_E_PARAMNOTOPTIONAL, 0x8002000F},
        {DISP_E_OVERFLOW, 0x8002000A},
        {CONNECT_E_NOCONNECTION, 0x80040200},
        {CONNECT_E_ADVISELIMIT, 0x80040201},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(lumo::com::formatHresult(c.hr));
        EXPECT_EQ(static_cast<unsigned>(c.hr), c.value);
        EXPECT_EQ(SUCCEEDED(c.hr), c.value < 0x80000000u);
        EXPECT_EQ(FAILED(c.hr), c.value >= 0x80000000u);
    }
    EXPECT_EQ(lumo::com::formatHresult(E_FAIL), "0x80004005");
}
