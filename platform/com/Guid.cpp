#include "platform/com/Guid.h"

#include <cstdio>

#include "platform/com/ComError.h"

namespace lumo::com {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at text[pos]; false when any is not a hex digit.
bool readHex(std::string_view text, std::size_t pos, int digits, std::uint64_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int v = hexValue(text[pos + i]);
        if (v < 0) return false;
        value = value << 4 | static_cast<unsigned>(v);
    }
    return true;
}

}  // namespace

std::string formatHresult(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

std::string guidToString(const GUID& g) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}

std::optional<GUID> tryParseGuid(std::string_view text) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-') {
        return std::nullopt;
    }
    GUID g{};
    std::uint64_t v;
    if (!readHex(text, 1, 8, v)) return std::nullopt;
    g.Data1 = static_cast<std::uint32_t>(v);
    if (!readHex(text, 10, 4, v)) return std::nullopt;
    g.Data2 = static_cast<std::uint16_t>(v);
    if (!readHex(text, 15, 4, v)) return std::nullopt;
    g.Data3 = static_cast<std::uint16_t>(v);
    static constexpr std::size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!readHex(text, bytePos[i], 2, v)) return std::nullopt;
        g.Data4[i] = static_cast<std::uint8_t>(v);
    }
    return g;
}

GUID parseGuid(std::string_view text) {
    if (auto g = tryParseGuid(text)) return *g;
    throw ComError(CO_E_CLASSSTRING,
                   "Malformed identifier \"" + std::string(text) +
                       "\": expected the form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
}

}  // namespace lumo::com

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax) {
    if (!buffer || cchMax < 39) return 0;
    const std::string text = lumo::com::guidToString(guid);
    for (int i = 0; i < 38; ++i) buffer[i] = static_cast<OLECHAR>(text[i]);
    buffer[38] = 0;
    return 39;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (!text || !clsid) return E_POINTER;
    std::string narrow;
    for (const OLECHAR* p = text; *p; ++p) {
        // Anything outside ASCII cannot belong to a GUID; keep the length so it is rejected.
        narrow.push_back(*p < 0x80 ? static_cast<char>(*p) : '?');
        if (narrow.size() > 38) return CO_E_CLASSSTRING;
    }
    const auto g = lumo::com::tryParseGuid(narrow);
    if (!g) return CO_E_CLASSSTRING;
    *clsid = *g;
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid) { return CLSIDFromString(text, iid); }
