// The error guard: the boundary where C++ exceptions become COM status codes.
//
//     HRESULT STDMETHODCALLTYPE TLumoMain::MatchFinger(BSTR a, BSTR b, VARIANT_BOOL* result) {
//         return lumo::com::guarded([&] { *result = match(a, b) ? VARIANT_TRUE : VARIANT_FALSE; });
//     }
//
// The body may return void (success is S_OK) or an HRESULT of its own. An exception becomes a
// failure status and the thread's error info with the exception's message as description:
// ComError gives its own HRESULT (E_UNEXPECTED if it carries a success code by mistake),
// std::bad_alloc gives E_OUTOFMEMORY, anything else E_UNEXPECTED. Nothing escapes.
#pragma once

#include <string>
#include <type_traits>
#include <utility>

#include "platform/com/ComError.h"
#include "platform/com/ComTypes.h"
#include "platform/com/Guid.h"

namespace lumo::com {

// Call only inside a catch block: maps the exception being handled and sets the error info.
HRESULT failureFromCurrentException(const std::string& source = {},
                                    const GUID& iid = GUID_NULL) noexcept;

template <class Body>
HRESULT guarded(Body&& body, const std::string& source = {}, const GUID& iid = GUID_NULL) noexcept {
    try {
        if constexpr (std::is_same_v<std::invoke_result_t<Body>, HRESULT>) {
            return std::forward<Body>(body)();
        } else {
            std::forward<Body>(body)();
            return S_OK;
        }
    } catch (...) {
        return failureFromCurrentException(source, iid);
    }
}

}  // namespace lumo::com
