// ComError: the exception that carries a COM status code.
//
// Code inside the system throws it where a failure has a specific HRESULT (a bad argument is
// E_INVALIDARG, a missing class REGDB_E_CLASSNOTREG). The error guard (ErrorGuard.h) turns it
// into that HRESULT with the message as error description; any other exception becomes
// E_UNEXPECTED. It never crosses a COM method or a C export itself.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/com/ComTypes.h"

namespace lumo::com {

class ComError : public std::runtime_error {
public:
    ComError(HRESULT hr, const std::string& message) : std::runtime_error(message), m_hr(hr) {}

    HRESULT hresult() const noexcept { return m_hr; }

private:
    HRESULT m_hr;
};

// "0x80004005", the form in which programs print a status.
std::string formatHresult(HRESULT hr);

}  // namespace lumo::com
