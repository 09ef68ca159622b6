// IniFile: an INI file read and written with the private-profile rules of the platform
// (Kestrel's language files).
//
// Reading rules: lines are trimmed of blanks and tabs; empty lines and lines starting with ";"
// are skipped; "[name]" starts a section (name trimmed, text after the last "]" ignored); other
// lines are entries split at the first "=" (so a value may itself start with "="), key and
// value trimmed of blanks, then one pair of enclosing quotes removed ('"..."' or "'...'").
// Lines before the first section and lines without "=" are ignored. Names compare without
// regard to ASCII letter case; the first section of a name and the first key in it count. A
// key present with an empty value gives "", not the default. A missing file, section or key
// gives the default.
//
// Every call reads the file afresh, so a change made by another program is seen at once.
// Text is kept as bytes (UTF-8 here); UTF-16 files with a byte order mark are converted.
//
// Writing replaces the first entry of the key in place (or adds the key at the end of its
// section, or adds the section at the end of the file) and keeps every other line as it was.
// The file is replaced atomically (temporary file in the same folder + rename) and written as
// UTF-8 with the line breaks it already used. A value that would not read back unchanged (outer
// blanks, enclosing quotes) is written inside double quotes.
//
// Threads: the object holds only the path; calls from several threads are safe, concurrent
// writers to the same file race as they would on Windows.
// Errors: an existing file that cannot be read (or is larger than 16 MiB), a file that cannot
// be written, and names or values that cannot be stored on one line throw IniError.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::ini {

class IniFile {
public:
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& fileName() const { return m_path; }

    // The value, or std::nullopt when the file, section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    bool hasSection(std::string_view section) const;
    // Keys of the section in file order (first occurrences, as written).
    std::vector<std::string> sectionKeys(std::string_view section) const;

    // Creates the file and the section when missing.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every entry of the key in the section's first occurrence; missing is no error.
    void deleteKey(std::string_view section, std::string_view key);

private:
    std::filesystem::path m_path;
};

}  // namespace lumo::ini
