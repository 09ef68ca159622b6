#include "app/CommonPF.h"

#include <optional>

#include "platform/registry/Registry.h"

namespace {

using lumo::registry::Root;

// The current settings object: the root and the key path opened under it. The registry layer
// re-reads its file on every call, so nothing else needs to be held.
struct SettingsObject {
    Root root = Root::LocalMachine;
    std::string keyPath;
};

std::optional<SettingsObject>& current() {
    static std::optional<SettingsObject> object;
    return object;
}

const SettingsObject& requireOpen() {
    if (!current()) throw lumo::app::SettingsError("The settings key is not open.");
    return *current();
}

std::string subKeyPath(const SettingsObject& object, const std::string& section) {
    if (section.empty()) return object.keyPath;
    if (object.keyPath.empty()) return section;
    return object.keyPath + "\\" + section;
}

}  // namespace

namespace lumo::app {

void OpenSettingsKey(const std::string& keyPath) {
    // A second open replaces the first, as assigning a new object to the module variable does.
    current().reset();
    lumo::registry::createKey(Root::LocalMachine, keyPath);
    current() = SettingsObject{Root::LocalMachine, keyPath};
}

std::string ReadSetting(const std::string& section, const std::string& ident,
                        const std::string& defaultValue) {
    const SettingsObject& object = requireOpen();
    return lumo::registry::readValue(object.root, subKeyPath(object, section), ident)
        .value_or(defaultValue);
}

void WriteSetting(const std::string& section, const std::string& ident, const std::string& value) {
    const SettingsObject& object = requireOpen();
    lumo::registry::writeValue(object.root, subKeyPath(object, section), ident, value);
}

void CloseSettingsKey() { current().reset(); }

bool SettingsKeyIsOpen() { return current().has_value(); }

}  // namespace lumo::app
