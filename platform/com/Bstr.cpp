#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/com/Utf16.h"
#include "platform/com/internal/Runtime.h"

namespace {

// Layout of one allocation: [marker][byte length][characters][0 char16_t].
// The BSTR points at the characters, so the length sits right before them as on Windows.
struct BstrHeader {
    std::uint32_t marker;
    std::uint32_t byteLength;
};
static_assert(sizeof(BstrHeader) == 8);

constexpr std::uint32_t kLive = 0x42535452;   // "BSTR"
constexpr std::uint32_t kFreed = 0x46524545;  // "FREE"
constexpr std::uint32_t kMaxBytes = 0x7FFFFFF0u;

BstrHeader* headerOf(BSTR bstr) {
    return reinterpret_cast<BstrHeader*>(reinterpret_cast<char*>(bstr) - sizeof(BstrHeader));
}

BSTR allocateBytes(const void* data, std::uint32_t bytes) {
    if (bytes > kMaxBytes) return nullptr;
    // Two terminator bytes, plus one more so that an odd byte length still ends on a whole 0
    // character.
    const std::size_t total = sizeof(BstrHeader) + bytes + 3;
    auto* header = static_cast<BstrHeader*>(std::malloc(total));
    if (!header) return nullptr;
    header->marker = kLive;
    header->byteLength = bytes;
    char* chars = reinterpret_cast<char*>(header + 1);
    if (data) {
        std::memcpy(chars, data, bytes);
    } else {
        std::memset(chars, 0, bytes);
    }
    std::memset(chars + bytes, 0, 3);
    lumo::com::internal::runtime().liveBstrs.fetch_add(1);
    return reinterpret_cast<BSTR>(chars);
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(std::char_traits<char16_t>::length(psz)));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxBytes / 2) return nullptr;
    return allocateBytes(strIn, ui * 2);
}

BSTR SysAllocStringByteLen(const char* psz, UINT len) { return allocateBytes(psz, len); }

void SysFreeString(BSTR bstr) {
    if (!bstr) return;
    BstrHeader* header = headerOf(bstr);
    if (header->marker != kLive) {
        lumo::com::internal::reportBadFree("BSTR", bstr);
        return;
    }
    header->marker = kFreed;
    lumo::com::internal::runtime().liveBstrs.fetch_sub(1);
    std::free(header);
}

UINT SysStringLen(BSTR bstr) { return bstr ? headerOf(bstr)->byteLength / 2 : 0; }

UINT SysStringByteLen(BSTR bstr) { return bstr ? headerOf(bstr)->byteLength : 0; }

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
    if (!pbstr) return FALSE;
    // Allocate before freeing: psz may point into the old string.
    BSTR fresh = SysAllocStringLen(psz, len);
    if (!fresh) return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
    if (!pbstr) return FALSE;
    if (!psz) {
        SysFreeString(*pbstr);
        *pbstr = nullptr;
        return TRUE;
    }
    return SysReAllocStringLen(pbstr, psz,
                               static_cast<UINT>(std::char_traits<char16_t>::length(psz)));
}

namespace lumo::com {

BSTR allocBstr(std::u16string_view text) {
    if (text.size() > kMaxBytes / 2) throw std::bad_alloc();
    BSTR bstr = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!bstr) throw std::bad_alloc();
    return bstr;
}

BSTR allocBstr(std::string_view utf8) { return allocBstr(std::u16string_view(utf8ToUtf16(utf8))); }

std::u16string_view bstrView(BSTR bstr) {
    return bstr ? std::u16string_view(bstr, SysStringLen(bstr)) : std::u16string_view();
}

std::string bstrToUtf8(BSTR bstr) { return utf16ToUtf8(bstrView(bstr)); }

long liveBstrCount() { return internal::runtime().liveBstrs.load(); }

long badFreeCount() { return internal::runtime().badFrees.load(); }

Bstr::Bstr(const Bstr& other) : m_bstr(other.m_bstr ? allocBstr(other.view()) : nullptr) {}

Bstr& Bstr::operator=(const Bstr& other) {
    if (this != &other) {
        Bstr copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != &other) {
        SysFreeString(m_bstr);
        m_bstr = other.m_bstr;
        other.m_bstr = nullptr;
    }
    return *this;
}

Bstr Bstr::attach(BSTR bstr) noexcept {
    Bstr result;
    result.m_bstr = bstr;
    return result;
}

Bstr Bstr::copyOf(BSTR bstr) { return bstr ? Bstr(bstrView(bstr)) : Bstr(); }

BSTR Bstr::detach() noexcept {
    BSTR bstr = m_bstr;
    m_bstr = nullptr;
    return bstr;
}

BSTR Bstr::copy() const { return allocBstr(view()); }

BSTR* Bstr::out() noexcept {
    SysFreeString(m_bstr);
    m_bstr = nullptr;
    return &m_bstr;
}

}  // namespace lumo::com
