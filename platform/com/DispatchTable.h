// DispatchTable<T>: IDispatch for a class, driven by a static table of its members.
//
// Each entry names a member, its DISPID, its kind (method, property get, put or put-by-
// reference), its parameters (type and whether in or in/out) and its result type, plus a thunk
// that calls the class's own vtable method with the converted arguments:
//
//     static const lumo::com::DispatchTable<TLumoMain> table({
//         {"VerifyCount", 0x11, MemberKind::PropertyGet, {}, VT_I4,
//          [](TLumoMain& self, DispatchCall& call) { return self.get_VerifyCount(call.i4Result());
//          }},
//         {"VerifyCount", 0x11, MemberKind::PropertyPut, {{"Value", VT_I4}}, VT_EMPTY,
//          [](TLumoMain& self, DispatchCall& call) { return self.set_VerifyCount(call.i4(0)); }},
//         {"MatchFinger", 0x16, MemberKind::Method,
//          {{"ARegTemplate", VT_BSTR}, {"AVerTemplate", VT_BSTR}}, VT_BOOL,
//          [](TLumoMain& self, DispatchCall& call) {
//              return self.MatchFinger(call.bstr(0), call.bstr(1), call.boolResult());
//          }},
//     });
//
// Parameter and result types: VT_I2, VT_I4, VT_BOOL, VT_BSTR, VT_DISPATCH and VT_VARIANT (any
// value, passed as given). GetIDsOfNames compares names without regard to ASCII letter case
// and also maps parameter names (for named arguments) to their index.
//
// invoke() follows automation rules: unknown DISPID or kind -> DISP_E_MEMBERNOTFOUND; more
// arguments than parameters -> DISP_E_BADPARAMCOUNT; a parameter left out ->
// DISP_E_PARAMNOTOPTIONAL; a property put takes its value as the named argument
// DISPID_PROPERTYPUT; each argument is converted with VariantChangeType (booleans to text as
// "True"/"False") and a failure returns that status (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW) with
// *puArgErr = the argument's index in rgvarg. In/out parameters accept VT_BYREF of the declared
// type or VT_BYREF|VT_VARIANT (written back when the member succeeds) or a plain value (nothing
// to write back). A member that fails (or throws: the thunk runs inside the error guard) gives
// DISP_E_EXCEPTION with EXCEPINFO.scode = its HRESULT and the description and source of the
// thread's error info; with a null pExcepInfo the member's HRESULT itself is returned and the
// error info is left for GetErrorInfo. pVarResult, when given, must be an empty VARIANT; it
// receives the result, which the caller then owns.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com/Dispatch.h"
#include "platform/com/DispatchCall.h"

namespace lumo::com {

enum class MemberKind { Method, PropertyGet, PropertyPut, PropertyPutRef };
enum class ParamDirection { In, InOut };

struct ParamSpec {
    std::string name;
    VARTYPE type;
    ParamDirection direction = ParamDirection::In;
};

namespace internal {

struct ErasedMember {
    std::string name;
    DISPID dispid;
    MemberKind kind;
    std::vector<ParamSpec> params;
    VARTYPE result;
    std::function<HRESULT(void*, DispatchCall&)> thunk;
};

class DispatchTableBase {
public:
    explicit DispatchTableBase(std::vector<ErasedMember> members);

    HRESULT getIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;
    HRESULT invoke(void* object, DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) const;
    // The entry for a DISPID and kind, or null.
    const ErasedMember* find(DISPID dispid, MemberKind kind) const;
    const std::vector<ErasedMember>& members() const { return m_members; }

private:
    std::vector<ErasedMember> m_members;
};

}  // namespace internal

template <class T>
class DispatchTable : public internal::DispatchTableBase {
public:
    using Thunk = HRESULT (*)(T& self, DispatchCall& call);

    struct Member {
        std::string name;
        DISPID dispid;
        MemberKind kind;
        std::vector<ParamSpec> params;
        VARTYPE result;  // VT_EMPTY: no result
        Thunk thunk;
    };

    DispatchTable(std::initializer_list<Member> members)
        : internal::DispatchTableBase(erase(members)) {}

    HRESULT invoke(T& object, DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) const {
        return internal::DispatchTableBase::invoke(&object, dispid, riid, flags, params, result,
                                                   excepInfo, argErr);
    }

private:
    static std::vector<internal::ErasedMember> erase(std::initializer_list<Member> members) {
        std::vector<internal::ErasedMember> erased;
        erased.reserve(members.size());
        for (const Member& m : members) {
            Thunk thunk = m.thunk;
            erased.push_back({m.name, m.dispid, m.kind, m.params, m.result,
                              [thunk](void* self, DispatchCall& call) {
                                  return thunk(*static_cast<T*>(self), call);
                              }});
        }
        return erased;
    }
};

// IDispatch's four methods for a class whose members are in `table` (a DispatchTable<Self>).
#define LUMO_DISPATCH_FROM_TABLE(Self, table)                                                     \
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {                          \
        if (!pctinfo) return E_POINTER;                                                           \
        *pctinfo = 0;                                                                             \
        return S_OK;                                                                              \
    }                                                                                             \
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {             \
        if (ppTInfo) *ppTInfo = nullptr;                                                          \
        return TYPE_E_ELEMENTNOTFOUND;                                                            \
    }                                                                                             \
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,  \
                                            DISPID* rgDispId) override {                          \
        return (table).getIDsOfNames(riid, rgszNames, cNames, rgDispId);                          \
    }                                                                                             \
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,         \
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,                \
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override {            \
        return (table).invoke(static_cast<Self&>(*this), dispIdMember, riid, wFlags, pDispParams, \
                              pVarResult, pExcepInfo, puArgErr);                                  \
    }

}  // namespace lumo::com
