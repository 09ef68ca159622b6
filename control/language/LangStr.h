// LangStr: the control library's message table, 28 keyed texts with English defaults.
//
// Every text the control shows (dialog hints, window titles, button captions, error and
// question boxes) is read from this table at the moment it is shown:
//
//     label->setText(QString::fromStdString(lumo::language::langStr(MsgKey::sPressFinger)));
//
// The table is module-level state shared by every control instance in the process. It is
// empty until the first loadMessages(); each load sets all 28 entries (from the current
// language file's "MSGResource" section, or the defaults when no language file is current).
//
// Threads: the GUI thread only (the control's apartment thread); nothing is locked.
// Errors: loadMessages() throws LanguageError for an escape the decoding rejects; the keys
// before the failing one are already replaced, the rest keep their previous values.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumo::language {

// The message keys, in table order. The enumerators carry the keys' own names, which are
// also the names used in language files.
enum class MsgKey {
    sSelectFingerToRegister,
    sFingerprintQualityIsPoor,
    sPressFinger,
    sRegisterSuccess,
    sRegisterFailed,
    sDeleteFingerprint,
    sNotInstallDriver,
    sNotConnectSensor,
    sInitializationFailed,
    sCancelFingerprintChanged,
    sSelectFingerToVerify,
    sVerFingerprintQualityIsPoor,
    sFeatureOk,
    sImageReceivedOK,
    sFingerVerifing,
    sVerifySucceed,
    sVerifyFailed,
    sRegisterTitle,
    sVerifyTitle,
    sBtnOK,
    sBtnCancel,
    sFPDataErr,
    sLogoPath,
    sBackground,
    sProductName1,
    sProductName2,
    sModule,
    sEnrollMessage,
};

inline constexpr std::size_t kMsgKeyCount = 28;

// All keys in table order, for loops.
const std::array<MsgKey, kMsgKeyCount>& allMsgKeys();

// The key's name as written in language files ("sBtnOK").
std::string_view msgKeyName(MsgKey key);
// The key whose name matches, without regard to ASCII letter case; std::nullopt otherwise.
std::optional<MsgKey> msgKeyFromName(std::string_view name);
// The built-in English default of the key.
std::string_view msgDefault(MsgKey key);

// The current text of the key: empty before the first load.
const std::string& langStr(MsgKey key);

// Loads the messages from the language file at the path: the file is opened with
// loadLanguageFile() (it becomes the current language file and the open forms are
// translated when it exists); then every key is read again from the current language file,
// or set to its default when no language file is current. Returns loadLanguageFile()'s
// result. Throws LanguageError for a rejected escape in a message value.
bool loadMessages(const std::filesystem::path& path);

// Empties the table again, as before the first load. For tests.
void resetMessages();

}  // namespace lumo::language
