// Conversions between UTF-8 (the system's text inside) and UTF-16 (BSTR, OLECHAR).
//
// Never fail and never crash: ill-formed UTF-8 (stray continuation bytes, overlong forms,
// surrogates, truncated sequences) and unpaired surrogates in UTF-16 become U+FFFD, one per
// maximal ill-formed subpart as Unicode recommends. Embedded NUL characters are kept.
#pragma once

#include <string>
#include <string_view>

namespace lumo::com {

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

}  // namespace lumo::com
