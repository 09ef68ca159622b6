#include "platform/win/Locale.h"

#include <array>
#include <cstdlib>

namespace lumo::win {

namespace {

struct LocaleEntry {
    std::string_view posixName;  // language_TERRITORY
    Lcid lcid;
    std::string_view abbreviation;
};

// The first entry of each language is that language's main locale.
constexpr std::array kLocales = {
    LocaleEntry{"en_US", 1033, "ENU"},  LocaleEntry{"en_GB", 2057, "ENG"},
    LocaleEntry{"en_AU", 3081, "ENA"},  LocaleEntry{"en_CA", 4105, "ENC"},
    LocaleEntry{"en_NZ", 5129, "ENZ"},  LocaleEntry{"en_IE", 6153, "ENI"},
    LocaleEntry{"en_ZA", 7177, "ENS"},  LocaleEntry{"en_PH", 13321, "ENP"},
    LocaleEntry{"en_IN", 16393, "ENN"}, LocaleEntry{"en_MY", 17417, "ENM"},
    LocaleEntry{"en_SG", 18441, "ENE"}, LocaleEntry{"zh_CN", 2052, "CHS"},
    LocaleEntry{"zh_TW", 1028, "CHT"},  LocaleEntry{"zh_HK", 3076, "ZHH"},
    LocaleEntry{"zh_SG", 4100, "ZHI"},  LocaleEntry{"zh_MO", 5124, "ZHM"},
    LocaleEntry{"es_ES", 1034, "ESP"},  LocaleEntry{"es_MX", 2058, "ESM"},
    LocaleEntry{"es_AR", 11274, "ESS"}, LocaleEntry{"es_CL", 13322, "ESL"},
    LocaleEntry{"es_CO", 9226, "ESO"},  LocaleEntry{"es_PE", 10250, "ESR"},
    LocaleEntry{"es_VE", 8202, "ESV"},  LocaleEntry{"es_US", 21514, "EST"},
    LocaleEntry{"de_DE", 1031, "DEU"},  LocaleEntry{"de_CH", 2055, "DES"},
    LocaleEntry{"de_AT", 3079, "DEA"},  LocaleEntry{"de_LU", 4103, "DEL"},
    LocaleEntry{"fr_FR", 1036, "FRA"},  LocaleEntry{"fr_BE", 2060, "FRB"},
    LocaleEntry{"fr_CA", 3084, "FRC"},  LocaleEntry{"fr_CH", 4108, "FRS"},
    LocaleEntry{"fr_LU", 5132, "FRL"},  LocaleEntry{"it_IT", 1040, "ITA"},
    LocaleEntry{"it_CH", 2064, "ITS"},  LocaleEntry{"pt_BR", 1046, "PTB"},
    LocaleEntry{"pt_PT", 2070, "PTG"},  LocaleEntry{"nl_NL", 1043, "NLD"},
    LocaleEntry{"nl_BE", 2067, "NLB"},  LocaleEntry{"ar_SA", 1025, "ARA"},
    LocaleEntry{"ar_IQ", 2049, "ARI"},  LocaleEntry{"ar_EG", 3073, "ARE"},
    LocaleEntry{"ar_MA", 6145, "ARM"},  LocaleEntry{"ar_JO", 11265, "ARJ"},
    LocaleEntry{"ar_AE", 14337, "ARU"}, LocaleEntry{"ms_MY", 1086, "MSL"},
    LocaleEntry{"ms_BN", 2110, "MSB"},  LocaleEntry{"ja_JP", 1041, "JPN"},
    LocaleEntry{"ko_KR", 1042, "KOR"},  LocaleEntry{"ru_RU", 1049, "RUS"},
    LocaleEntry{"uk_UA", 1058, "UKR"},  LocaleEntry{"pl_PL", 1045, "PLK"},
    LocaleEntry{"cs_CZ", 1029, "CSY"},  LocaleEntry{"sk_SK", 1051, "SKY"},
    LocaleEntry{"hu_HU", 1038, "HUN"},  LocaleEntry{"ro_RO", 1048, "ROM"},
    LocaleEntry{"bg_BG", 1026, "BGR"},  LocaleEntry{"hr_HR", 1050, "HRV"},
    LocaleEntry{"sl_SI", 1060, "SLV"},  LocaleEntry{"el_GR", 1032, "ELL"},
    LocaleEntry{"tr_TR", 1055, "TRK"},  LocaleEntry{"he_IL", 1037, "HEB"},
    LocaleEntry{"fa_IR", 1065, "FAR"},  LocaleEntry{"hi_IN", 1081, "HIN"},
    LocaleEntry{"th_TH", 1054, "THA"},  LocaleEntry{"vi_VN", 1066, "VIT"},
    LocaleEntry{"id_ID", 1057, "IND"},  LocaleEntry{"sv_SE", 1053, "SVE"},
    LocaleEntry{"sv_FI", 2077, "SVF"},  LocaleEntry{"da_DK", 1030, "DAN"},
    LocaleEntry{"nb_NO", 1044, "NOR"},  LocaleEntry{"no_NO", 1044, "NOR"},
    LocaleEntry{"nn_NO", 2068, "NON"},  LocaleEntry{"fi_FI", 1035, "FIN"},
    LocaleEntry{"is_IS", 1039, "ISL"},  LocaleEntry{"et_EE", 1061, "ETI"},
    LocaleEntry{"lv_LV", 1062, "LVI"},  LocaleEntry{"lt_LT", 1063, "LTH"},
    LocaleEntry{"ca_ES", 1027, "CAT"},  LocaleEntry{"eu_ES", 1069, "EUQ"},
};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace

Lcid localeFromPosixName(std::string_view name) {
    // language[_territory][.codeset][@modifier]
    name = name.substr(0, name.find_first_of(".@"));
    std::string_view language = name.substr(0, name.find_first_of("_-"));
    if (language.empty() || equalsIgnoreCase(name, "C") || equalsIgnoreCase(name, "POSIX"))
        return kLcidUsEnglish;
    for (const LocaleEntry& e : kLocales) {
        std::string_view entry = e.posixName;
        // "zh-TW" and "zh_tw" are written too.
        if (entry.size() == name.size() &&
            equalsIgnoreCase(entry.substr(0, 2), name.substr(0, 2)) &&
            (name[2] == '_' || name[2] == '-') && equalsIgnoreCase(entry.substr(3), name.substr(3)))
            return e.lcid;
    }
    for (const LocaleEntry& e : kLocales)
        if (equalsIgnoreCase(e.posixName.substr(0, e.posixName.find('_')), language)) return e.lcid;
    return kLcidUsEnglish;
}

Lcid systemDefaultLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return localeFromPosixName(value);
    }
    return kLcidUsEnglish;
}

std::optional<std::string> abbrevLangName(Lcid lcid) {
    for (const LocaleEntry& e : kLocales)
        if (e.lcid == lcid) return std::string(e.abbreviation);
    return std::nullopt;
}

}  // namespace lumo::win
