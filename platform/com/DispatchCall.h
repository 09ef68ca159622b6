// DispatchCall: the arguments of one IDispatch::Invoke, already converted to the types a member
// declares, as the member's thunk sees them.
//
// Indexes count the declared parameters from 0 in declaration order (not the reversed DISPPARAMS
// order). In parameters come as values (a BSTR or interface owned by the call, valid until the
// thunk returns); in/out parameters as pointers the callee may free and replace (COM rules);
// the result as a pointer into the result VARIANT, which starts out empty/zero. Asking for a
// type other than the declared one throws ComError(E_UNEXPECTED): a fault in a member table,
// which the guard around the thunk reports instead of misreading memory.
#pragma once

#include <vector>

#include "platform/com/Dispatch.h"

namespace lumo::com {

class DispatchCall {
public:
    DispatchCall(const std::vector<VARTYPE>& types, std::vector<VARIANT>& arguments,
                 VARTYPE resultType, VARIANT& result)
        : m_types(types), m_arguments(arguments), m_resultType(resultType), m_result(result) {}

    BSTR bstr(std::size_t index) const { return argument(index, VT_BSTR).bstrVal; }
    LONG i4(std::size_t index) const { return argument(index, VT_I4).lVal; }
    SHORT i2(std::size_t index) const { return argument(index, VT_I2).iVal; }
    VARIANT_BOOL boolean(std::size_t index) const { return argument(index, VT_BOOL).boolVal; }
    IDispatch* dispatch(std::size_t index) const { return argument(index, VT_DISPATCH).pdispVal; }
    // A VARIANT parameter: the value the caller passed (references already resolved).
    const VARIANT& variant(std::size_t index) const { return argument(index, VT_VARIANT); }

    BSTR* bstrRef(std::size_t index) { return &argument(index, VT_BSTR).bstrVal; }
    LONG* i4Ref(std::size_t index) { return &argument(index, VT_I4).lVal; }
    SHORT* i2Ref(std::size_t index) { return &argument(index, VT_I2).iVal; }
    VARIANT_BOOL* boolRef(std::size_t index) { return &argument(index, VT_BOOL).boolVal; }
    VARIANT* variantRef(std::size_t index) { return &argument(index, VT_VARIANT); }

    BSTR* bstrResult() { return &result(VT_BSTR).bstrVal; }
    LONG* i4Result() { return &result(VT_I4).lVal; }
    SHORT* i2Result() { return &result(VT_I2).iVal; }
    VARIANT_BOOL* boolResult() { return &result(VT_BOOL).boolVal; }
    IDispatch** dispatchResult() { return &result(VT_DISPATCH).pdispVal; }
    VARIANT* variantResult() { return &result(VT_VARIANT); }

    std::size_t argumentCount() const { return m_arguments.size(); }

private:
    VARIANT& argument(std::size_t index, VARTYPE type) const;
    VARIANT& result(VARTYPE type);

    const std::vector<VARTYPE>& m_types;
    std::vector<VARIANT>& m_arguments;
    VARTYPE m_resultType;
    VARIANT& m_result;
};

}  // namespace lumo::com
