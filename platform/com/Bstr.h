// BSTR, the automation string: char16_t characters preceded by a 4-byte length in bytes and
// followed by a terminating 0, allocated and freed only by the Sys* functions below.
//
// Ownership follows COM: whoever receives a BSTR as an out value frees it with SysFreeString
// (null is a valid, empty BSTR). Each allocation carries a marker, so that freeing a pointer
// twice or freeing one that is no BSTR is reported on stderr and counted (badFreeCount) instead
// of corrupting the heap; under AddressSanitizer a repeated free is also reported as such.
// liveBstrCount() counts the BSTRs alive in the whole process, for leak tests.
//
// Bstr is the owning wrapper used inside the system; its UTF-8 conversions never fail (see
// Utf16.h). Any thread may call; counters are atomic.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/ComTypes.h"

BSTR SysAllocString(const OLECHAR* psz);
// Copies ui characters from strIn (which may hold NULs); a null strIn leaves them zero.
BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
// A BSTR of len bytes (copied from psz unless it is null).
BSTR SysAllocStringByteLen(const char* psz, UINT len);
void SysFreeString(BSTR bstrString);
UINT SysStringLen(BSTR pbstr);
UINT SysStringByteLen(BSTR bstr);
// Replace *pbstr by a copy of psz (which may point into *pbstr); TRUE on success.
INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);

namespace lumo::com {

// A new BSTR holding the text; throws std::bad_alloc when memory runs out.
BSTR allocBstr(std::string_view utf8);
BSTR allocBstr(std::u16string_view text);
// The whole BSTR (embedded NULs included) as UTF-8; null gives "".
std::string bstrToUtf8(BSTR bstr);
std::u16string_view bstrView(BSTR bstr);

long liveBstrCount();
// Frees of BSTRs or arrays that were not alive (double frees, foreign pointers).
long badFreeCount();

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8) : m_bstr(allocBstr(utf8)) {}
    explicit Bstr(std::u16string_view text) : m_bstr(allocBstr(text)) {}
    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept : m_bstr(other.m_bstr) { other.m_bstr = nullptr; }
    Bstr& operator=(const Bstr& other);
    Bstr& operator=(Bstr&& other) noexcept;
    ~Bstr() { SysFreeString(m_bstr); }

    // Takes ownership of a BSTR received from elsewhere.
    static Bstr attach(BSTR bstr) noexcept;
    // A copy of a BSTR owned by someone else.
    static Bstr copyOf(BSTR bstr);

    BSTR get() const noexcept { return m_bstr; }
    // Gives up ownership, for handing the string out through an out parameter.
    BSTR detach() noexcept;
    // A fresh copy for an out parameter; this wrapper keeps its own.
    BSTR copy() const;
    // Frees the current string and returns the slot for a callee to fill.
    BSTR* out() noexcept;

    UINT length() const noexcept { return SysStringLen(m_bstr); }
    bool empty() const noexcept { return length() == 0; }
    std::string toUtf8() const { return bstrToUtf8(m_bstr); }
    std::u16string_view view() const noexcept { return bstrView(m_bstr); }

private:
    BSTR m_bstr = nullptr;
};

}  // namespace lumo::com
