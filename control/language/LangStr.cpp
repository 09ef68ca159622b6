#include "LangStr.h"

#include <algorithm>
#include <optional>

#include "IniLang.h"
#include "platform/ini/MemIniFile.h"

namespace lumo::language {

namespace {

struct MsgEntry {
    MsgKey key;
    std::string_view name;
    std::string_view english;
};

#define LUMO_MSG(key, text) \
    MsgEntry { MsgKey::key, #key, text }

// The product title: maker, long product name, abbreviation.
constexpr std::string_view kProductTitle = "Vantor Lumo Fingerprint Management System (LUMO)";

constexpr std::array<MsgEntry, kMsgKeyCount> kMessages{{
    LUMO_MSG(sSelectFingerToRegister, "Please select finger"),
    LUMO_MSG(sFingerprintQualityIsPoor, "quality is poor! remaining times:"),
    LUMO_MSG(sPressFinger, "Please place your finger on the Vantor scanner to start registration"),
    LUMO_MSG(sRegisterSuccess, "Succeed in fingerprint registration"),
    LUMO_MSG(sRegisterFailed, "Failed in fingerprint registration"),
    LUMO_MSG(sDeleteFingerprint, "Delete Existing selected finger's fingerprint?"),
    LUMO_MSG(sNotInstallDriver, "Install fingerprint sensor driver"),
    LUMO_MSG(sNotConnectSensor, "Not connect with sensor!"),
    LUMO_MSG(sInitializationFailed, "Failed in initializing sensor"),
    LUMO_MSG(sCancelFingerprintChanged,
             "Existing fingerprint data has been changed, whether save these?"),
    LUMO_MSG(sSelectFingerToVerify, "Press finger flatware"),
    LUMO_MSG(sVerFingerprintQualityIsPoor, "Fingerprint quality is poor!"),
    LUMO_MSG(sFeatureOk, "Succeed in selecting fingerprint module"),
    LUMO_MSG(sImageReceivedOK, "Fingerprint template is received successfully"),
    LUMO_MSG(sFingerVerifing, "Verifying fingerprint"),
    LUMO_MSG(sVerifySucceed, "Succeed in verifying fingerprint"),
    LUMO_MSG(sVerifyFailed, "Faileded in verifying fingerprint"),
    LUMO_MSG(sRegisterTitle, kProductTitle),
    LUMO_MSG(sVerifyTitle, kProductTitle),
    LUMO_MSG(sBtnOK, "OK"),
    LUMO_MSG(sBtnCancel, "Cancel"),
    LUMO_MSG(sFPDataErr, "Fingerprint enroll data error!"),
    LUMO_MSG(sLogoPath, "C:\\\\"),
    LUMO_MSG(sBackground, "C:\\\\"),
    LUMO_MSG(sProductName1, "Lumo Fingerprint"),
    LUMO_MSG(sProductName2, "Management System (LUMO)"),
    LUMO_MSG(sModule, "Enrollment Module"),
    LUMO_MSG(sEnrollMessage, "Press 4 times to enroll a finger"),
}};

#undef LUMO_MSG

constexpr bool tableInKeyOrder() {
    for (std::size_t i = 0; i < kMessages.size(); ++i) {
        if (static_cast<std::size_t>(kMessages[i].key) != i) return false;
    }
    return true;
}
static_assert(tableInKeyOrder(), "message table must follow the order of MsgKey");

constexpr std::string_view kMessageSection = "MSGResource";

// Function-local so that it is ready even when the library's load-time step runs before this
// unit's static initialisation.
std::array<std::string, kMsgKeyCount>& table() {
    static std::array<std::string, kMsgKeyCount> messages;
    return messages;
}

const MsgEntry& entry(MsgKey key) { return kMessages.at(static_cast<std::size_t>(key)); }

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

}  // namespace

const std::array<MsgKey, kMsgKeyCount>& allMsgKeys() {
    static const std::array<MsgKey, kMsgKeyCount> keys = [] {
        std::array<MsgKey, kMsgKeyCount> result{};
        for (std::size_t i = 0; i < kMessages.size(); ++i) result[i] = kMessages[i].key;
        return result;
    }();
    return keys;
}

std::string_view msgKeyName(MsgKey key) { return entry(key).name; }

std::optional<MsgKey> msgKeyFromName(std::string_view name) {
    for (const MsgEntry& e : kMessages) {
        if (equalsIgnoreCase(e.name, name)) return e.key;
    }
    return std::nullopt;
}

std::string_view msgDefault(MsgKey key) { return entry(key).english; }

const std::string& langStr(MsgKey key) { return table().at(static_cast<std::size_t>(key)); }

bool loadMessages(const std::filesystem::path& path) {
    const bool loaded = loadLanguageFile(path);
    const ini::MemIniFile* file = currentLanguageFile();
    for (const MsgEntry& e : kMessages) {
        std::string text(e.english);
        // A key the file lacks keeps its default exactly; only texts written in the file are
        // escape-decoded (decoding the default would turn "C:\\" into "C:\").
        if (file) {
            if (std::optional<std::string> value = file->value(kMessageSection, e.name))
                text = decodeEscapes(*value);
        }
        // Assigned one by one: a rejected escape leaves the earlier keys replaced.
        table()[static_cast<std::size_t>(e.key)] = std::move(text);
    }
    return loaded;
}

void resetMessages() {
    for (std::string& text : table()) text.clear();
}

}  // namespace lumo::language
