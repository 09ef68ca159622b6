// Locale identifiers (Windows LCIDs) for this platform's POSIX locale names, and their
// three-letter abbreviated language names (LOCALE_SABBREVLANGNAME: ENU, CHT, CHS, ...).
//
// The system default locale comes from the first non-empty of LC_ALL, LC_MESSAGES and LANG.
// A name is matched as language_TERRITORY (codeset and modifier ignored: "zh_TW.UTF-8" is
// zh_TW); a known language with an unknown or missing territory gives that language's main
// locale ("de" is de_DE); "C", "POSIX", empty and unknown names give 1033 (US English).
// Thread-safe (reads the environment); never throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumo::win {

using Lcid = std::uint32_t;

inline constexpr Lcid kLcidUsEnglish = 1033;

// The locale of a POSIX locale name such as "zh_TW.UTF-8".
Lcid localeFromPosixName(std::string_view posixName);
// The system default locale (see the header note).
Lcid systemDefaultLocale();
// "ENU" for 1033 and so on; std::nullopt for a locale this table does not know.
std::optional<std::string> abbrevLangName(Lcid lcid);

}  // namespace lumo::win
