#include "platform/com/DispatchTable.h"

#include <cstring>

#include "platform/com/ComError.h"
#include "platform/com/ErrorGuard.h"
#include "platform/com/ErrorInfo.h"

namespace lumo::com {

VARIANT& DispatchCall::argument(std::size_t index, VARTYPE type) const {
    if (index >= m_arguments.size() || m_types[index] != type) {
        throw ComError(E_UNEXPECTED,
                       "Member table and thunk disagree on parameter " + std::to_string(index + 1));
    }
    return m_arguments[index];
}

VARIANT& DispatchCall::result(VARTYPE type) {
    if (m_resultType != type) {
        throw ComError(E_UNEXPECTED, "Member table and thunk disagree on the result type");
    }
    return m_result;
}

namespace internal {

namespace {

char16_t foldAscii(char16_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool sameName(LPCOLESTR wide, const std::string& name) {
    std::size_t i = 0;
    for (; wide[i]; ++i) {
        if (i >= name.size()) return false;
        if (foldAscii(wide[i]) != foldAscii(static_cast<unsigned char>(name[i]))) return false;
    }
    return i == name.size();
}

VARIANT zeroed(VARTYPE vt) {
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt == VT_VARIANT ? static_cast<VARTYPE>(VT_EMPTY) : vt;
    return v;
}

// Clears every VARIANT of the call, whatever happened.
struct CallState {
    std::vector<VARIANT> arguments;
    VARIANT result = zeroed(VT_EMPTY);
    ~CallState() {
        for (VARIANT& v : arguments) VariantClear(&v);
        VariantClear(&result);
    }
};

// The value of an in/out argument for the callee: a copy of what the caller's reference holds
// (or of the plain value), converted to the declared type.
HRESULT convertArgument(const VARIANT& given, const ParamSpec& param, VARIANT& out) {
    if (given.vt == VT_ERROR && given.scode == DISP_E_PARAMNOTFOUND) {
        return DISP_E_PARAMNOTOPTIONAL;
    }
    if (param.direction == ParamDirection::InOut && (given.vt & VT_BYREF) &&
        given.vt != (VT_BYREF | param.type) && given.vt != (VT_BYREF | VT_VARIANT)) {
        return DISP_E_TYPEMISMATCH;
    }
    if (param.type == VT_VARIANT) return VariantCopyInd(&out, &given);
    return VariantChangeType(&out, &given, VARIANT_ALPHABOOL, param.type);
}

// Hands the callee's value of an in/out parameter back through the caller's reference.
void writeBack(VARIANT& given, VARIANT& value) {
    if (given.vt == (VT_BYREF | VT_VARIANT)) {
        VariantClear(given.pvarVal);
        *given.pvarVal = value;
    } else {
        switch (given.vt & ~VT_BYREF) {
            case VT_BSTR:
                SysFreeString(*given.pbstrVal);
                *given.pbstrVal = value.bstrVal;
                break;
            case VT_DISPATCH:
                if (*given.ppdispVal) (*given.ppdispVal)->Release();
                *given.ppdispVal = value.pdispVal;
                break;
            case VT_I4:
                *given.plVal = value.lVal;
                break;
            case VT_I2:
                *given.piVal = value.iVal;
                break;
            case VT_BOOL:
                *given.pboolVal = value.boolVal;
                break;
            default:
                return;  // nothing was taken over
        }
    }
    // Ownership moved to the caller.
    value = zeroed(VT_EMPTY);
}

HRESULT reportFailure(HRESULT hr, EXCEPINFO* excepInfo) {
    if (!excepInfo) return hr;
    std::memset(excepInfo, 0, sizeof *excepInfo);
    std::string description;
    std::string source;
    IErrorInfo* raw = nullptr;
    if (GetErrorInfo(0, &raw) == S_OK && raw) {
        Bstr text;
        if (SUCCEEDED(raw->GetDescription(text.out()))) description = text.toUtf8();
        if (SUCCEEDED(raw->GetSource(text.out()))) source = text.toUtf8();
        raw->Release();
    }
    if (description.empty()) description = "The operation failed (" + formatHresult(hr) + ")";
    try {
        excepInfo->bstrDescription = allocBstr(description);
        if (!source.empty()) excepInfo->bstrSource = allocBstr(source);
    } catch (...) {
        // The status still says what happened.
    }
    excepInfo->scode = hr;
    return DISP_E_EXCEPTION;
}

}  // namespace

DispatchTableBase::DispatchTableBase(std::vector<ErasedMember> members)
    : m_members(std::move(members)) {}

const ErasedMember* DispatchTableBase::find(DISPID dispid, MemberKind kind) const {
    for (const ErasedMember& m : m_members) {
        if (m.dispid == dispid && m.kind == kind) return &m;
    }
    return nullptr;
}

HRESULT DispatchTableBase::getIDsOfNames(REFIID riid, LPOLESTR* names, UINT count,
                                         DISPID* ids) const {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !ids || !names[0]) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const ErasedMember* member = nullptr;
    for (const ErasedMember& m : m_members) {
        if (sameName(names[0], m.name)) {
            // Prefer the entry with the most parameters for parameter names (a method, or
            // the put of a property).
            if (!member || m.params.size() > member->params.size()) member = &m;
        }
    }
    if (!member) return DISP_E_UNKNOWNNAME;
    ids[0] = member->dispid;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        bool found = false;
        for (std::size_t p = 0; names[i] && p < member->params.size(); ++p) {
            if (sameName(names[i], member->params[p].name)) {
                ids[i] = static_cast<DISPID>(p);
                found = true;
                break;
            }
        }
        if (!found) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT DispatchTableBase::invoke(void* object, DISPID dispid, REFIID riid, WORD flags,
                                  DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                  UINT* argErr) const {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    if (params->cNamedArgs > params->cArgs || (params->cArgs && !params->rgvarg) ||
        (params->cNamedArgs && !params->rgdispidNamedArgs)) {
        return E_INVALIDARG;
    }

    const ErasedMember* member = nullptr;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (flags & DISPATCH_PROPERTYPUTREF) member = find(dispid, MemberKind::PropertyPutRef);
    if (!member && (flags & DISPATCH_PROPERTYPUT)) member = find(dispid, MemberKind::PropertyPut);
    if (!put) {
        if (flags & DISPATCH_METHOD) member = find(dispid, MemberKind::Method);
        if (!member && (flags & DISPATCH_PROPERTYGET)) {
            member = find(dispid, MemberKind::PropertyGet);
        }
    }
    if (!member) return DISP_E_MEMBERNOTFOUND;

    // Which rgvarg entry feeds each declared parameter.
    const std::size_t paramCount = member->params.size();
    std::vector<int> source(paramCount, -1);
    const UINT named = params->cNamedArgs;
    const UINT positional = params->cArgs - named;
    if (positional > paramCount) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < positional; ++i) {
        source[i] = static_cast<int>(params->cArgs - 1 - i);
    }
    bool putValueGiven = false;
    for (UINT j = 0; j < named; ++j) {
        DISPID id = params->rgdispidNamedArgs[j];
        if (id == DISPID_PROPERTYPUT) {
            if (!put || paramCount == 0) return DISP_E_PARAMNOTFOUND;
            id = static_cast<DISPID>(paramCount - 1);
            putValueGiven = true;
        }
        if (id < 0 || static_cast<std::size_t>(id) >= paramCount || source[id] != -1) {
            if (argErr) *argErr = j;
            return DISP_E_PARAMNOTFOUND;
        }
        source[id] = static_cast<int>(j);
    }
    // A put's value travels only as the named DISPID_PROPERTYPUT argument.
    if (put && !putValueGiven) return DISP_E_PARAMNOTOPTIONAL;
    for (int s : source) {
        if (s < 0) return DISP_E_PARAMNOTOPTIONAL;
    }

    CallState state;
    state.arguments.assign(paramCount, zeroed(VT_EMPTY));
    std::vector<VARTYPE> types;
    types.reserve(paramCount);
    for (std::size_t p = 0; p < paramCount; ++p) {
        const ParamSpec& param = member->params[p];
        types.push_back(param.type);
        const HRESULT hr = convertArgument(params->rgvarg[source[p]], param, state.arguments[p]);
        if (FAILED(hr)) {
            if (argErr) *argErr = static_cast<UINT>(source[p]);
            return hr;
        }
    }
    state.result = zeroed(member->result);

    DispatchCall call(types, state.arguments, member->result, state.result);
    const HRESULT hr = guarded([&] { return member->thunk(object, call); });
    if (FAILED(hr)) return reportFailure(hr, excepInfo);

    for (std::size_t p = 0; p < paramCount; ++p) {
        VARIANT& given = params->rgvarg[source[p]];
        if (member->params[p].direction == ParamDirection::InOut && (given.vt & VT_BYREF)) {
            writeBack(given, state.arguments[p]);
        }
    }
    if (result) {
        *result = state.result;
        state.result = zeroed(VT_EMPTY);
    }
    return hr;
}

}  // namespace internal

}  // namespace lumo::com
