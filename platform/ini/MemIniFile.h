// MemIniFile: an INI file read whole into memory, with the rules of the control's language
// files.
//
// Rules: lines are trimmed of blanks and control characters; empty lines and lines starting
// with ";" are skipped; "[name]" starts a section (name trimmed); other lines are entries split
// at the first "=", key and value trimmed. Lines before the first section and lines without "="
// are not entries. Names compare without regard to ASCII letter case. When a section occurs
// twice, the first one counts (entries under the repeated header are not reachable); when a key
// occurs twice in a section, the first one counts. An empty value is present and empty.
//
// Text is kept as bytes (UTF-8 on this platform); a UTF-8 byte order mark is dropped and UTF-16
// files with a byte order mark are converted to UTF-8. Binary content is read like any other
// text and never crashes the reader.
//
// Ownership and threads: a value type; the file is read once in the constructor and not kept
// open. Const members may be called from any thread.
// Errors: a missing file gives an empty object (fileName() still reports the path). A file that
// exists but cannot be read, or is larger than 16 MiB, throws IniError.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumo::ini {

class MemIniFile {
public:
    // An empty file with no name.
    MemIniFile() = default;
    // Reads the file at the path (see the header note for errors).
    explicit MemIniFile(const std::filesystem::path& path);
    // Parses the text; fileName() is the given name.
    static MemIniFile fromText(std::string_view text, std::filesystem::path fileName = {});

    const std::filesystem::path& fileName() const { return m_fileName; }

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    // The value, or std::nullopt when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The value, or the default when missing. A present empty value gives "".
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$", with an optional sign, within the range
    // of a 32-bit integer (hexadecimal up to FFFFFFFF, which wraps as a 32-bit value does).
    // Anything else, including a missing key, gives the default.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;

    // Section names in file order (first occurrences, as written).
    std::vector<std::string> sections() const;
    // Keys of a section in file order (first occurrences, as written); empty when missing.
    std::vector<std::string> sectionKeys(std::string_view section) const;

    // The integer rule of readInteger on a plain text; std::nullopt when it is not a number.
    static std::optional<std::int32_t> parseInteger(std::string_view text);

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> index;  // folded key -> entry
    };

    void parse(std::string_view text);
    const Section* findSection(std::string_view section) const;
    const Entry* findEntry(std::string_view section, std::string_view key) const;

    std::filesystem::path m_fileName;
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // folded name -> section
};

}  // namespace lumo::ini
