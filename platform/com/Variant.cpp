#include "platform/com/Variant.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/com/Utf16.h"

namespace {

bool isNumericType(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_INT:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UI8:
        case VT_UINT:
        case VT_R4:
        case VT_R8:
        case VT_BOOL:
            return true;
        default:
            return false;
    }
}

bool isPlainType(VARTYPE vt) {
    return vt == VT_EMPTY || vt == VT_NULL || vt == VT_ERROR || isNumericType(vt);
}

bool isValidType(VARTYPE vt) {
    if (vt & VT_BYREF) {
        const VARTYPE base = vt & ~VT_BYREF;
        if (base == (VT_ARRAY | VT_UI1)) return true;
        if (base == VT_VARIANT || base == VT_BSTR || base == VT_DISPATCH || base == VT_UNKNOWN) {
            return true;
        }
        return isNumericType(base) || base == VT_ERROR;
    }
    if (vt & VT_ARRAY) return vt == (VT_ARRAY | VT_UI1);
    return isPlainType(vt) || vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN;
}

VARIANT emptyVariant() {
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    return v;
}

// A non-owning VARIANT that holds the value a VT_BYREF variant refers to.
std::optional<VARIANT> dereferenced(const VARIANT& src) {
    if (!(src.vt & VT_BYREF)) return src;
    if (!src.byref) return std::nullopt;
    const VARTYPE base = src.vt & ~VT_BYREF;
    if (base == VT_VARIANT) {
        const VARIANT& inner = *src.pvarVal;
        // A reference to a reference is as far as automation goes.
        if (inner.vt == (VT_BYREF | VT_VARIANT)) return std::nullopt;
        return dereferenced(inner);
    }
    VARIANT v = emptyVariant();
    v.vt = base;
    switch (base) {
        case VT_I1:
        case VT_UI1:
            v.bVal = *src.pbVal;
            break;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            v.iVal = *src.piVal;
            break;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_ERROR:
        case VT_R4:
            v.lVal = *src.plVal;
            break;
        case VT_I8:
        case VT_UI8:
        case VT_R8:
            v.llVal = *src.pllVal;
            break;
        case VT_BSTR:
            v.bstrVal = *src.pbstrVal;
            break;
        case VT_DISPATCH:
            v.pdispVal = *src.ppdispVal;
            break;
        case VT_UNKNOWN:
            v.punkVal = *src.ppunkVal;
            break;
        default:
            if (base == (VT_ARRAY | VT_UI1)) {
                v.parray = *src.pparray;
                break;
            }
            return std::nullopt;
    }
    return v;
}

// Numbers pass through long double, which holds every 64-bit integer exactly.
long double numericValue(const VARIANT& v) {
    switch (v.vt) {
        case VT_I1:
            return static_cast<signed char>(v.cVal);
        case VT_I2:
            return v.iVal;
        case VT_I4:
        case VT_INT:
            return v.lVal;
        case VT_I8:
            return v.llVal;
        case VT_UI1:
            return v.bVal;
        case VT_UI2:
            return v.uiVal;
        case VT_UI4:
        case VT_UINT:
            return v.ulVal;
        case VT_UI8:
            return v.ullVal;
        case VT_R4:
            return v.fltVal;
        case VT_R8:
            return v.dblVal;
        case VT_BOOL:
            return v.boolVal ? -1 : 0;
        default:
            return 0;
    }
}

bool isSpace(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::u16string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c - 'A' + 'a');
        if (c != static_cast<char16_t>(word[i])) return false;
    }
    return true;
}

// Decimal text: blanks, an optional sign, digits with an optional fraction, blanks.
std::optional<long double> parseNumber(std::u16string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long double value = 0;
    long double scale = 1;
    bool digits = false;
    bool fraction = false;
    for (char16_t c : text) {
        if (c >= '0' && c <= '9') {
            digits = true;
            if (fraction) {
                scale /= 10;
                value += (c - '0') * scale;
            } else {
                value = value * 10 + (c - '0');
            }
        } else if (c == '.' && !fraction) {
            fraction = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return negative ? -value : value;
}

HRESULT toNumber(const VARIANT& src, long double& out) {
    if (src.vt == VT_EMPTY) {
        out = 0;
        return S_OK;
    }
    if (isNumericType(src.vt)) {
        out = numericValue(src);
        return S_OK;
    }
    if (src.vt == VT_BSTR) {
        const auto number = parseNumber(lumo::com::bstrView(src.bstrVal));
        if (!number) return DISP_E_TYPEMISMATCH;
        out = *number;
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT toInteger(const VARIANT& src, VARTYPE vt, VARIANT& out) {
    long double value;
    HRESULT hr = toNumber(src, value);
    if (FAILED(hr)) return hr;
    if (!std::isfinite(value)) return DISP_E_OVERFLOW;
    // Rounds half to even (the default floating point rounding mode).
    value = std::nearbyint(value);
    long double low;
    long double high;
    switch (vt) {
        case VT_I1:
            low = -128;
            high = 127;
            break;
        case VT_I2:
            low = -32768;
            high = 32767;
            break;
        case VT_I4:
        case VT_INT:
            low = -2147483648.0L;
            high = 2147483647.0L;
            break;
        case VT_I8:
            low = -9223372036854775808.0L;
            high = 9223372036854775807.0L;
            break;
        case VT_UI1:
            low = 0;
            high = 255;
            break;
        case VT_UI2:
            low = 0;
            high = 65535;
            break;
        case VT_UI4:
        case VT_UINT:
            low = 0;
            high = 4294967295.0L;
            break;
        case VT_UI8:
            low = 0;
            high = 18446744073709551615.0L;
            break;
        default:
            return DISP_E_BADVARTYPE;
    }
    if (value < low || value > high) return DISP_E_OVERFLOW;
    out = emptyVariant();
    out.vt = vt;
    switch (vt) {
        case VT_I1:
            out.cVal = static_cast<char>(static_cast<signed char>(value));
            break;
        case VT_I2:
            out.iVal = static_cast<SHORT>(value);
            break;
        case VT_I4:
        case VT_INT:
            out.lVal = static_cast<LONG>(value);
            break;
        case VT_I8:
            out.llVal = static_cast<LONGLONG>(value);
            break;
        case VT_UI1:
            out.bVal = static_cast<BYTE>(value);
            break;
        case VT_UI2:
            out.uiVal = static_cast<USHORT>(value);
            break;
        case VT_UI4:
        case VT_UINT:
            out.ulVal = static_cast<ULONG>(value);
            break;
        case VT_UI8:
            out.ullVal = static_cast<ULONGLONG>(value);
            break;
        default:
            break;
    }
    return S_OK;
}

HRESULT toReal(const VARIANT& src, VARTYPE vt, VARIANT& out) {
    long double value;
    HRESULT hr = toNumber(src, value);
    if (FAILED(hr)) return hr;
    const long double limit = vt == VT_R4 ? 3.402823466e38L : 1.7976931348623157e308L;
    if (std::isfinite(value) && std::fabs(value) > limit) return DISP_E_OVERFLOW;
    out = emptyVariant();
    out.vt = vt;
    if (vt == VT_R4) {
        out.fltVal = static_cast<float>(value);
    } else {
        out.dblVal = static_cast<double>(value);
    }
    return S_OK;
}

HRESULT toBool(const VARIANT& src, VARIANT& out) {
    out = emptyVariant();
    out.vt = VT_BOOL;
    if (src.vt == VT_BSTR) {
        const std::u16string_view text = trimmed(lumo::com::bstrView(src.bstrVal));
        if (equalsIgnoringCase(text, "true")) {
            out.boolVal = VARIANT_TRUE;
            return S_OK;
        }
        if (equalsIgnoringCase(text, "false")) {
            out.boolVal = VARIANT_FALSE;
            return S_OK;
        }
    }
    long double value;
    HRESULT hr = toNumber(src, value);
    if (FAILED(hr)) return hr;
    out.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

std::string decimalText(const VARIANT& src) {
    char buffer[64];
    std::to_chars_result result;
    switch (src.vt) {
        case VT_R4:
            result = std::to_chars(buffer, buffer + sizeof buffer, src.fltVal);
            break;
        case VT_R8:
            result = std::to_chars(buffer, buffer + sizeof buffer, src.dblVal);
            break;
        case VT_UI8:
            result = std::to_chars(buffer, buffer + sizeof buffer, src.ullVal);
            break;
        case VT_UI4:
        case VT_UINT:
            result = std::to_chars(buffer, buffer + sizeof buffer, src.ulVal);
            break;
        default:
            result = std::to_chars(buffer, buffer + sizeof buffer,
                                   static_cast<long long>(numericValue(src)));
            break;
    }
    return std::string(buffer, result.ptr);
}

HRESULT toBstr(const VARIANT& src, USHORT flags, VARIANT& out) {
    std::string text;
    if (src.vt == VT_EMPTY) {
        text.clear();
    } else if (src.vt == VT_BOOL) {
        if (flags & VARIANT_ALPHABOOL) {
            text = src.boolVal ? "True" : "False";
        } else {
            text = src.boolVal ? "-1" : "0";
        }
    } else if (isNumericType(src.vt)) {
        text = decimalText(src);
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    BSTR bstr = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (!bstr) return E_OUTOFMEMORY;
    for (std::size_t i = 0; i < text.size(); ++i) bstr[i] = static_cast<OLECHAR>(text[i]);
    out = emptyVariant();
    out.vt = VT_BSTR;
    out.bstrVal = bstr;
    return S_OK;
}

HRESULT toInterface(const VARIANT& src, VARTYPE vt, VARIANT& out) {
    if (src.vt != VT_DISPATCH && src.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    IUnknown* unknown = src.vt == VT_DISPATCH ? src.pdispVal : src.punkVal;
    out = emptyVariant();
    out.vt = vt;
    if (!unknown) return S_OK;
    if (vt == VT_UNKNOWN) {
        unknown->AddRef();
        out.punkVal = unknown;
        return S_OK;
    }
    void* dispatch = nullptr;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, &dispatch)) || !dispatch) {
        return DISP_E_TYPEMISMATCH;
    }
    out.pdispVal = static_cast<IDispatch*>(dispatch);
    return S_OK;
}

}  // namespace

void VariantInit(VARIANTARG* pvarg) {
    if (pvarg) std::memset(pvarg, 0, sizeof *pvarg);
}

HRESULT VariantClear(VARIANTARG* pvarg) {
    if (!pvarg) return E_INVALIDARG;
    if (!isValidType(pvarg->vt)) return DISP_E_BADVARTYPE;
    if (!(pvarg->vt & VT_BYREF)) {
        if (pvarg->vt & VT_ARRAY) {
            const HRESULT hr = SafeArrayDestroy(pvarg->parray);
            if (FAILED(hr)) return hr;
        } else if (pvarg->vt == VT_BSTR) {
            SysFreeString(pvarg->bstrVal);
        } else if (pvarg->vt == VT_DISPATCH) {
            if (pvarg->pdispVal) pvarg->pdispVal->Release();
        } else if (pvarg->vt == VT_UNKNOWN) {
            if (pvarg->punkVal) pvarg->punkVal->Release();
        }
    }
    std::memset(pvarg, 0, sizeof *pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (!pvargDest || !pvargSrc) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    if (!isValidType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    VARIANT copy = *pvargSrc;
    if (!(copy.vt & VT_BYREF)) {
        if (copy.vt & VT_ARRAY) {
            const HRESULT hr = SafeArrayCopy(pvargSrc->parray, &copy.parray);
            if (FAILED(hr)) return hr;
        } else if (copy.vt == VT_BSTR && pvargSrc->bstrVal) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(pvargSrc->bstrVal),
                                                 SysStringByteLen(pvargSrc->bstrVal));
            if (!copy.bstrVal) return E_OUTOFMEMORY;
        } else if (copy.vt == VT_DISPATCH && copy.pdispVal) {
            copy.pdispVal->AddRef();
        } else if (copy.vt == VT_UNKNOWN && copy.punkVal) {
            copy.punkVal->AddRef();
        }
    }
    const HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
    if (!pvarDest || !pvargSrc) return E_INVALIDARG;
    if (!isValidType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    const auto value = dereferenced(*pvargSrc);
    if (!value) return E_INVALIDARG;
    VARIANT copy = emptyVariant();
    HRESULT hr = VariantCopy(&copy, &*value);
    if (FAILED(hr)) return hr;
    hr = VariantClear(pvarDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvarDest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt) {
    if (!pvargDest || !pvarSrc) return E_INVALIDARG;
    if (!isValidType(pvarSrc->vt)) return DISP_E_BADVARTYPE;
    const auto src = dereferenced(*pvarSrc);
    if (!src) return E_INVALIDARG;

    VARIANT result = emptyVariant();
    HRESULT hr;
    if (src->vt == vt) {
        hr = VariantCopy(&result, &*src);
    } else if (vt == VT_EMPTY) {
        hr = S_OK;
    } else if (src->vt == VT_NULL || src->vt == VT_ERROR) {
        hr = DISP_E_TYPEMISMATCH;
    } else {
        switch (vt) {
            case VT_I1:
            case VT_I2:
            case VT_I4:
            case VT_I8:
            case VT_INT:
            case VT_UI1:
            case VT_UI2:
            case VT_UI4:
            case VT_UI8:
            case VT_UINT:
                hr = toInteger(*src, vt, result);
                break;
            case VT_R4:
            case VT_R8:
                hr = toReal(*src, vt, result);
                break;
            case VT_BOOL:
                hr = toBool(*src, result);
                break;
            case VT_BSTR:
                hr = toBstr(*src, wFlags, result);
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN:
                hr = toInterface(*src, vt, result);
                break;
            default:
                hr = isValidType(vt) ? DISP_E_TYPEMISMATCH : DISP_E_BADVARTYPE;
                break;
        }
    }
    if (FAILED(hr)) return hr;
    // The source may be the destination itself, so it is cleared only now.
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *pvargDest = result;
    return S_OK;
}
