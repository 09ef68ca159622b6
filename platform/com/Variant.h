// VARIANT (Windows layout: vt, three reserved words, a 16-byte union; 24 bytes) and the
// automation functions on it.
//
// Types: VT_EMPTY, VT_NULL, the integer types (VT_I1/I2/I4/I8, VT_UI1/UI2/UI4/UI8, VT_INT,
// VT_UINT), VT_R4, VT_R8, VT_BOOL (VARIANT_TRUE = -1), VT_ERROR, VT_BSTR, VT_DISPATCH,
// VT_UNKNOWN, VT_ARRAY|VT_UI1, and VT_BYREF with any of those or VT_VARIANT. Other types are
// DISP_E_BADVARTYPE.
//
// Ownership: a VARIANT owns its BSTR, interface reference and array; VariantClear frees them
// (a VT_BYREF variant owns nothing). VariantCopy copies deeply (strings and arrays duplicated,
// interfaces AddRef'd). VariantChangeType converts as automation does: integers between each
// other with DISP_E_OVERFLOW when out of range, reals rounded half to even, numbers to and from
// decimal text, booleans to -1/0 (and to "True"/"False" text with VARIANT_ALPHABOOL, else
// "-1"/"0"), text "True"/"False" (any case) or a number to boolean, VT_EMPTY to 0, "" or false;
// text that is no number is DISP_E_TYPEMISMATCH, as is VT_NULL to anything. The destination is
// left unchanged when a conversion fails. Any thread; a VARIANT itself is not shared.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/ComTypes.h"
#include "platform/com/SafeArray.h"

class IUnknown;
class IDispatch;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        float* pfltVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        char cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        char* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } brecVal;
    };
};
static_assert(sizeof(VARIANT) == 24, "VARIANT must keep the Windows x64 layout");
using VARIANTARG = VARIANT;

#define V_VT(v) ((v)->vt)
#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_UI1(v) ((v)->bVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_ARRAY(v) ((v)->parray)
#define V_ERROR(v) ((v)->scode)

// Flags of VariantChangeType.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;

void VariantInit(VARIANTARG* pvarg);
HRESULT VariantClear(VARIANTARG* pvarg);
HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// Like VariantCopy, but a VT_BYREF source is copied as the value it refers to.
HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc);
// pvargDest may equal pvarSrc; a VT_BYREF source is read through its reference.
HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt);
