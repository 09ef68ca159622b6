#include "platform/ini/MemIniFile.h"

#include <limits>

#include "platform/ini/internal/IniText.h"

namespace lumo::ini {

using internal::foldCase;

MemIniFile::MemIniFile(const std::filesystem::path& path) : m_fileName(path) {
    if (auto text = internal::readTextFile(path)) parse(*text);
}

MemIniFile MemIniFile::fromText(std::string_view text, std::filesystem::path fileName) {
    MemIniFile file;
    file.m_fileName = std::move(fileName);
    file.parse(text);
    return file;
}

void MemIniFile::parse(std::string_view text) {
    // Entries under a repeated section header go nowhere: the first section of a name counts.
    Section* current = nullptr;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    for (std::string_view raw : internal::splitLines(text)) {
        std::string_view line = internal::trimControl(raw);
        if (line.empty() || line.front() == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string name(internal::trimControl(line.substr(1, line.size() - 2)));
            auto [it, inserted] = m_sectionIndex.try_emplace(foldCase(name), m_sections.size());
            if (inserted) {
                m_sections.push_back(Section{std::move(name), {}, {}});
                current = &m_sections.back();
            } else {
                current = nullptr;
            }
            continue;
        }
        if (current == nullptr) continue;
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string key(internal::trimControl(line.substr(0, eq)));
        if (key.empty()) continue;
        auto [it, inserted] = current->index.try_emplace(foldCase(key), current->entries.size());
        if (inserted)
            current->entries.push_back(
                Entry{std::move(key), std::string(internal::trimControl(line.substr(eq + 1)))});
    }
}

const MemIniFile::Section* MemIniFile::findSection(std::string_view section) const {
    auto it = m_sectionIndex.find(foldCase(section));
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

const MemIniFile::Entry* MemIniFile::findEntry(std::string_view section,
                                               std::string_view key) const {
    const Section* s = findSection(section);
    if (s == nullptr) return nullptr;
    auto it = s->index.find(foldCase(key));
    return it == s->index.end() ? nullptr : &s->entries[it->second];
}

bool MemIniFile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

bool MemIniFile::hasKey(std::string_view section, std::string_view key) const {
    return findEntry(section, key) != nullptr;
}

std::optional<std::string> MemIniFile::value(std::string_view section, std::string_view key) const {
    const Entry* e = findEntry(section, key);
    if (e == nullptr) return std::nullopt;
    return e->value;
}

std::string MemIniFile::readString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    const Entry* e = findEntry(section, key);
    return e != nullptr ? e->value : std::string(defaultValue);
}

std::int32_t MemIniFile::readInteger(std::string_view section, std::string_view key,
                                     std::int32_t defaultValue) const {
    const Entry* e = findEntry(section, key);
    if (e == nullptr) return defaultValue;
    return parseInteger(e->value).value_or(defaultValue);
}

std::vector<std::string> MemIniFile::sections() const {
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const Section& s : m_sections) names.push_back(s.name);
    return names;
}

std::vector<std::string> MemIniFile::sectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* s = findSection(section)) {
        keys.reserve(s->entries.size());
        for (const Entry& e : s->entries) keys.push_back(e.key);
    }
    return keys;
}

std::optional<std::int32_t> MemIniFile::parseInteger(std::string_view text) {
    text = internal::trimControl(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        hex = true;
        text.remove_prefix(2);
    } else if (text.starts_with("$")) {
        hex = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;

    const std::uint64_t base = hex ? 16 : 10;
    // Hexadecimal reaches the full 32-bit pattern; decimal the signed range.
    const std::uint64_t limit =
        hex ? 0xFFFFFFFFull
            : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) +
                  (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = ~bits + 1u;
    return static_cast<std::int32_t>(bits);
}

}  // namespace lumo::ini
