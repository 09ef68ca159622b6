// CommonPF: Kestrel's settings store, the string values "Password", "Language" and
// "FPCardKey" under HKEY_LOCAL_MACHINE\SOFTWARE\LUMO, reached through four operations.
//
//     OpenSettingsKey("SOFTWARE");
//     std::string digest = ReadSetting("LUMO", "Password", "0");
//     CloseSettingsKey();
//
// One settings object is current at a time (module state, GUI thread only). OpenSettingsKey
// creates the key path when missing; ReadSetting gives the caller's default for a missing
// subkey or value and creates nothing; WriteSetting creates the subkey when missing.
// Errors of the registry layer (lumo::registry::RegistryError) are not caught here: they reach
// the caller's error handling, and the caller's action stops there. Reading or writing with no
// open key throws SettingsError.
#pragma once

#include <stdexcept>
#include <string>

namespace lumo::app {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Names of the values and their defaults when missing.
inline constexpr const char* kSettingsKeyPath = "SOFTWARE";
inline constexpr const char* kSettingsSection = "LUMO";
inline constexpr const char* kPasswordValue = "Password";
inline constexpr const char* kLanguageValue = "Language";
inline constexpr const char* kCardKeyValue = "FPCardKey";
inline constexpr const char* kMissingSetting = "0";

// The four operations keep the names under which the rest of Kestrel calls them.
void OpenSettingsKey(const std::string& keyPath);
std::string ReadSetting(const std::string& section, const std::string& ident,
                        const std::string& defaultValue);
void WriteSetting(const std::string& section, const std::string& ident, const std::string& value);
void CloseSettingsKey();
// True between OpenSettingsKey and CloseSettingsKey.
bool SettingsKeyIsOpen();

// Opens "SOFTWARE" for one action and closes the settings object at its end, also when a
// settings call throws.
class SettingsSession {
public:
    SettingsSession() { OpenSettingsKey(kSettingsKeyPath); }
    ~SettingsSession() { CloseSettingsKey(); }
    SettingsSession(const SettingsSession&) = delete;
    SettingsSession& operator=(const SettingsSession&) = delete;
};

}  // namespace lumo::app
