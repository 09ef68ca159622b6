// File-backed stand-in for the Windows registry.
//
// Each root key is one text file, <dir>/HKEY_LOCAL_MACHINE.ini and so on, where <dir> is
// $LUMO_REGISTRY if set, else $XDG_CONFIG_HOME/lumo-registry, else ~/.config/lumo-registry.
// Sections are key paths ("[SOFTWARE\LUMO]"), entries are "Name=Value"; the unnamed default
// value of a key is written "@". Values escape "\\", "\n", "\r" and "\t". Key and value names
// compare without regard to letter case, as on Windows.
//
// Every call reads the file afresh; every write re-reads, changes and replaces the file
// atomically (temporary file + rename) under an advisory lock, so two processes writing
// different values at the same moment both keep theirs. Garbage lines in a file are skipped.
//
// Errors (a folder that cannot be created, a file that cannot be written) throw RegistryError.
// Any thread may call; there is no shared in-memory state.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumo::registry {

enum class Root { LocalMachine, ClassesRoot, CurrentUser };

class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Folder holding the root files (not created by this call).
std::filesystem::path registryDir();
// "HKEY_LOCAL_MACHINE" and so on.
std::string rootName(Root root);

// Key paths use "\" between parts; leading and trailing "\" are ignored.
bool keyExists(Root root, const std::string& keyPath);
// Creates the key (and its parents) if missing.
void createKey(Root root, const std::string& keyPath);
// Removes the key with all its values and subkeys; a missing key is no error.
void deleteKeyTree(Root root, const std::string& keyPath);
// Direct subkey names of a key, in stored order.
std::vector<std::string> subKeys(Root root, const std::string& keyPath);

// A value; name "" is the key's default value. std::nullopt when key or value is missing.
std::optional<std::string> readValue(Root root, const std::string& keyPath,
                                     const std::string& name);
// Creates the key when missing.
void writeValue(Root root, const std::string& keyPath, const std::string& name,
                const std::string& value);
// A missing value is no error.
void deleteValue(Root root, const std::string& keyPath, const std::string& name);

}  // namespace lumo::registry
