// Text helpers shared by the two INI readers. Not part of the public interface.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::ini::internal {

// Files above this size are refused: language files are a few kilobytes, and reading an
// arbitrary large file whole would only exhaust memory.
inline constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

// The whole file as UTF-8 bytes: a UTF-8 byte order mark is dropped, UTF-16 files with a byte
// order mark are converted. std::nullopt when no file exists at the path. Throws IniError when
// the file exists but cannot be read or is too large.
std::optional<std::string> readTextFile(const std::filesystem::path& path);

// Splits at CR LF, LF or CR. A final line break does not make an empty last line.
std::vector<std::string_view> splitLines(std::string_view text);

// Removes every character up to and including the blank (control characters too).
std::string_view trimControl(std::string_view text);
// Removes blanks and tabs (and stray CR/LF) only.
std::string_view trimBlanks(std::string_view text);

// ASCII letters compare without regard to case; other bytes compare exactly.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// ASCII letters in lower case, for keys of case-insensitive lookups.
std::string foldCase(std::string_view text);

}  // namespace lumo::ini::internal
