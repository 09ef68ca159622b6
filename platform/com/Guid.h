// GUID (Windows memory layout) with the text form "{75A1B333-5B25-4450-93EF-46A951CDAD6B}".
//
// Formatting always writes upper-case hex. Parsing takes either case but nothing else: exactly
// 38 characters, braces, hyphens in their places, no blanks. tryParseGuid() reports a malformed
// text as std::nullopt, parseGuid() throws ComError(CO_E_CLASSSTRING) naming the text, and the
// Windows-style CLSIDFromString()/IIDFromString() return CO_E_CLASSSTRING. Pure functions, any
// thread.
#pragma once

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/ComTypes.h"

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID must keep the Windows layout");

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPCLSID = CLSID*;

inline bool operator==(const GUID& a, const GUID& b) noexcept {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool IsEqualGUID(REFGUID a, REFGUID b) noexcept { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) noexcept { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) noexcept { return a == b; }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
#define IID_NULL GUID_NULL
#define CLSID_NULL GUID_NULL

// Writes the braced text (38 characters + terminator) into buffer; returns the characters
// written including the terminator, or 0 when cchMax is below 39.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
// S_OK, CO_E_CLASSSTRING for malformed text, E_POINTER for null arguments.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
HRESULT IIDFromString(LPCOLESTR text, IID* iid);

namespace lumo::com {

std::string guidToString(const GUID& guid);
std::optional<GUID> tryParseGuid(std::string_view text);
// Throws ComError(CO_E_CLASSSTRING) for a malformed text.
GUID parseGuid(std::string_view text);

}  // namespace lumo::com

template <>
struct std::hash<GUID> {
    std::size_t operator()(const GUID& g) const noexcept {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, &g, 8);
        std::memcpy(&b, reinterpret_cast<const char*>(&g) + 8, 8);
        return std::hash<std::uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};
