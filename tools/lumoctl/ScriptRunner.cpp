#include "tools/lumoctl/ScriptRunner.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "control/resources/LumoMembers.h"
#include "platform/com/Bstr.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Utf16.h"
#include "platform/com/Variant.h"

namespace lumo::lumoctl {

namespace {

// Clears the variants it holds whatever happens.
struct Variants {
    std::vector<VARIANT> items;
    ~Variants() {
        for (VARIANT& v : items) VariantClear(&v);
    }
};

VARIANT bstrVariant(const std::string& text) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = com::allocBstr(text);
    return v;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s = "hex:";
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

const char* verbName(Verb verb) {
    switch (verb) {
        case Verb::Get:
            return "get";
        case Verb::Put:
            return "put";
        case Verb::Call:
            return "call";
    }
    return "";
}

// A description for a status Invoke returned itself.
std::string describeInvokeFailure(HRESULT hr, const Statement& s, UINT argErr,
                                  std::size_t argCount) {
    // argErr counts in DISPPARAMS order (reversed); turn it into a position from 1.
    const std::string position =
        argErr < argCount ? std::to_string(argCount - argErr) : std::string("?");
    switch (hr) {
        case DISP_E_MEMBERNOTFOUND:
            return std::string(s.verb == Verb::Get   ? "Not a readable property: "
                               : s.verb == Verb::Put ? "Not a writable property: "
                                                     : "Not a method: ") +
                   s.name;
        case DISP_E_BADPARAMCOUNT:
            return "Wrong number of arguments for " + s.name;
        case DISP_E_PARAMNOTOPTIONAL:
            return "Missing argument for " + s.name;
        case DISP_E_TYPEMISMATCH:
            return "Type mismatch in argument " + position + " of " + s.name;
        case DISP_E_OVERFLOW:
            return "Argument " + position + " of " + s.name + " is out of range";
        default:
            break;
    }
    std::string fromErrorInfo = com::takeErrorDescription();
    return fromErrorInfo.empty() ? verbName(s.verb) + std::string(" ") + s.name + " failed"
                                 : fromErrorInfo;
}

// Storage of one in/out argument while the call runs.
struct InOut {
    std::string name;
    VARTYPE type = VT_EMPTY;
    BSTR text = nullptr;
    LONG i4 = 0;
    SHORT i2 = 0;
    VARIANT_BOOL boolean = VARIANT_FALSE;
    ~InOut() { SysFreeString(text); }

    VARIANT reference() {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BYREF | type;
        switch (type) {
            case VT_BSTR:
                v.pbstrVal = &text;
                break;
            case VT_I4:
                v.plVal = &i4;
                break;
            case VT_I2:
                v.piVal = &i2;
                break;
            case VT_BOOL:
                v.pboolVal = &boolean;
                break;
            default:
                v.byref = nullptr;
                break;
        }
        return v;
    }

    std::string value() const {
        switch (type) {
            case VT_BSTR:
                return com::bstrToUtf8(text);
            case VT_I4:
                return std::to_string(i4);
            case VT_I2:
                return std::to_string(i2);
            case VT_BOOL:
                return boolean ? "true" : "false";
            default:
                return {};
        }
    }
};

}  // namespace

std::string errorLine(HRESULT hr, const std::string& description) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return std::string("error ") + code + ": " + description;
}

VARIANT literalValue(const Word& word) {
    VARIANT v;
    VariantInit(&v);
    if (word.quoted) return bstrVariant(word.text);
    const std::string& t = word.text;
    if (t == "true" || t == "false") {
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = t == "true" ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    if (t.rfind("hex:", 0) == 0) {
        const std::string digits = t.substr(4);
        if (digits.size() % 2 != 0)
            throw StatementError("a byte array needs an even number of hex digits: " + t);
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            const int hi = hexDigit(digits[i]);
            const int lo = hexDigit(digits[i + 1]);
            if (hi < 0 || lo < 0) throw StatementError("not a hex digit in " + t);
            bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        }
        V_VT(&v) = VT_ARRAY | VT_UI1;
        V_ARRAY(&v) = com::byteArrayFromVector(bytes);
        return v;
    }
    std::int32_t number = 0;
    const char* end = t.data() + t.size();
    const char* begin = t.data();
    if (!t.empty() && t[0] == '+') ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, number);
    if (ec == std::errc() && ptr == end && begin != end) {
        V_VT(&v) = VT_I4;
        V_I4(&v) = number;
        return v;
    }
    return bstrVariant(t);
}

std::string formatValue(const VARIANT& value) {
    const VARIANT* v = &value;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
    switch (V_VT(v)) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_BSTR:
            return com::bstrToUtf8(V_BSTR(v));
        case VT_BOOL:
            return V_BOOL(v) ? "true" : "false";
        case VT_I2:
            return std::to_string(V_I2(v));
        case VT_I4:
            return std::to_string(V_I4(v));
        case VT_ARRAY | VT_UI1:
            return hex(com::vectorFromByteArray(V_ARRAY(v)));
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return v->punkVal ? "(object)" : "(nothing)";
        default:
            break;
    }
    VARIANT text;
    VariantInit(&text);
    if (SUCCEEDED(VariantChangeType(&text, v, VARIANT_ALPHABOOL, VT_BSTR))) {
        std::string s = com::bstrToUtf8(V_BSTR(&text));
        VariantClear(&text);
        return s;
    }
    return "(value of type " + std::to_string(V_VT(v)) + ")";
}

ScriptRunner::ScriptRunner(IDispatch* control, std::ostream& out, std::ostream& err)
    : m_control(control), m_out(out), m_err(err) {}

bool ScriptRunner::fail(HRESULT hr, const std::string& description) {
    m_err << errorLine(hr, description) << std::endl;
    return false;
}

bool ScriptRunner::run(const Statement& s) {
    std::u16string wide = com::utf8ToUtf16(s.name);
    LPOLESTR names[] = {wide.data()};
    DISPID dispid = DISPID_UNKNOWN;
    HRESULT hr = m_control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
    if (FAILED(hr)) {
        com::clearErrorInfo();
        return fail(
            hr, hr == DISP_E_UNKNOWNNAME ? "Unknown name: " + s.name : "Cannot look up " + s.name);
    }

    const com::MemberKind kind = s.verb == Verb::Get   ? com::MemberKind::PropertyGet
                                 : s.verb == Verb::Put ? com::MemberKind::PropertyPut
                                                       : com::MemberKind::Method;
    const auto* member = control::lumoMemberTable().find(dispid, kind);

    // Arguments in declaration order; in/out ones by reference to storage kept here.
    Variants args;
    std::vector<std::unique_ptr<InOut>> inOuts;
    for (std::size_t i = 0; i < s.arguments.size(); ++i) {
        const Word& word = s.arguments[i];
        const com::ParamSpec* param =
            member && i < member->params.size() ? &member->params[i] : nullptr;
        if (param && param->direction == com::ParamDirection::InOut) {
            auto io = std::make_unique<InOut>();
            io->name = param->name;
            io->type = param->type;
            VARIANT given = param->type == VT_BSTR ? bstrVariant(word.text) : literalValue(word);
            VARIANT converted;
            VariantInit(&converted);
            hr = VariantChangeType(&converted, &given, VARIANT_ALPHABOOL, param->type);
            VariantClear(&given);
            if (FAILED(hr))
                return fail(hr,
                            "Type mismatch in argument " + std::to_string(i + 1) + " of " + s.name);
            switch (param->type) {
                case VT_BSTR:
                    io->text = V_BSTR(&converted);
                    break;  // taken over
                case VT_I4:
                    io->i4 = V_I4(&converted);
                    break;
                case VT_I2:
                    io->i2 = V_I2(&converted);
                    break;
                case VT_BOOL:
                    io->boolean = V_BOOL(&converted);
                    break;
                default:
                    VariantClear(&converted);
                    break;
            }
            VARIANT ref = io->reference();
            args.items.push_back(ref);  // a reference owns nothing, clearing it is harmless
            inOuts.push_back(std::move(io));
        } else if (param && param->type == VT_BSTR) {
            args.items.push_back(bstrVariant(word.text));
        } else {
            args.items.push_back(literalValue(word));
        }
    }

    std::vector<VARIANT> reversed(args.items.rbegin(), args.items.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    const bool isPut = s.verb == Verb::Put;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), isPut ? &putId : nullptr,
                      static_cast<UINT>(reversed.size()), isPut ? 1u : 0u};
    const WORD flags = s.verb == Verb::Get   ? DISPATCH_PROPERTYGET
                       : s.verb == Verb::Put ? DISPATCH_PROPERTYPUT
                                             : DISPATCH_METHOD;
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    UINT argErr = 0;
    com::clearErrorInfo();
    hr = m_control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                           isPut ? nullptr : &result, &excep, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        const HRESULT code = excep.scode ? excep.scode : E_FAIL;
        std::string description = com::bstrToUtf8(excep.bstrDescription);
        com::clearExcepInfo(&excep);
        VariantClear(&result);
        return fail(code, description.empty() ? s.name + " failed" : description);
    }
    if (FAILED(hr)) {
        VariantClear(&result);
        return fail(hr, describeInvokeFailure(hr, s, argErr, reversed.size()));
    }

    const bool hasResult = member ? member->result != VT_EMPTY : V_VT(&result) != VT_EMPTY;
    if (!isPut && hasResult) m_out << formatValue(result) << '\n';
    VariantClear(&result);
    for (const auto& io : inOuts) m_out << io->name << '=' << io->value() << '\n';
    m_out.flush();
    return true;
}

}  // namespace lumo::lumoctl
