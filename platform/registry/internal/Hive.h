// The parsed contents of one root file. Not part of the public interface.
//
// File form: "[KEY\PATH]" headers, then "Name=Value" lines; "@" names the default value; "[]"
// holds values of the root key itself. Escapes in names and values: "\\", "\n", "\r", "\t";
// names also escape "=" ("\=") and a first character that would make the line look like a
// header, a comment or the default value ("\[", "\;", "\#", "\@", "\ "). Lines starting with
// ";" or "#", empty lines and lines that fit none of the forms are skipped. A repeated header
// adds to the first key of that path; a repeated name keeps its first value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::registry::internal {

struct HiveValue {
    std::string name;  // "" is the default value
    std::string data;
};

struct HiveKey {
    std::vector<std::string> parts;  // as first spelled
    std::vector<HiveValue> values;
};

class Hive {
public:
    static Hive parse(std::string_view text);
    std::string serialize() const;

    // "A\\B\\" -> {"A", "B"}; empty parts are dropped. Throws RegistryError for a part with a
    // control character, which the file form cannot hold.
    static std::vector<std::string> splitPath(std::string_view keyPath);

    // The key itself has a header, or some key below it has one; the root always exists.
    bool exists(const std::vector<std::string>& parts) const;
    const HiveKey* find(const std::vector<std::string>& parts) const;
    HiveKey* find(const std::vector<std::string>& parts);
    // Finds or adds the key; a new key takes the spelling of existing parents.
    HiveKey& create(const std::vector<std::string>& parts);
    // Removes the key and everything below it. True when something was removed.
    bool removeTree(const std::vector<std::string>& parts);
    std::vector<std::string> subKeys(const std::vector<std::string>& parts) const;

    static const HiveValue* findValue(const HiveKey& key, std::string_view name);
    static void setValue(HiveKey& key, const std::string& name, const std::string& data);
    static bool removeValue(HiveKey& key, std::string_view name);

    const std::vector<HiveKey>& keys() const { return m_keys; }

private:
    std::vector<HiveKey> m_keys;
};

std::string escapeName(std::string_view name);
std::string escapeValue(std::string_view value);
// Unknown escapes: in names the backslash is dropped, in values it is kept (so a hand-written
// "C:\Program Files" survives).
std::string unescape(std::string_view text, bool isName);

}  // namespace lumo::registry::internal
