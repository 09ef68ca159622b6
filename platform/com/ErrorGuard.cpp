#include "platform/com/ErrorGuard.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "platform/com/ErrorInfo.h"

namespace lumo::com {

HRESULT failureFromCurrentException(const std::string& source, const GUID& iid) noexcept {
    HRESULT hr = E_UNEXPECTED;
    std::string message;
    try {
        try {
            throw;
        } catch (const ComError& e) {
            hr = FAILED(e.hresult()) ? e.hresult() : E_UNEXPECTED;
            message = e.what();
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
            message = "Out of memory";
        } catch (const std::exception& e) {
            message = e.what();
        } catch (...) {
            message = "Unknown error";
        }
        setErrorInfo(message, source, iid);
    } catch (...) {
        // No memory left even for the description: the status alone has to do.
    }
    return hr;
}

}  // namespace lumo::com
