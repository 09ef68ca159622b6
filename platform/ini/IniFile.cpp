#include "platform/ini/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

#include "platform/ini/IniError.h"
#include "platform/ini/internal/IniText.h"

namespace lumo::ini {

using internal::equalsIgnoreCase;

namespace {

// One line of a file as the private-profile rules see it.
struct Line {
    enum Kind { Other, SectionHeader, Entry } kind = Other;
    std::string_view raw;
    std::string_view name;   // section name or key
    std::string_view value;  // entry value, quotes removed
};

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

Line classify(std::string_view raw) {
    Line line;
    line.raw = raw;
    std::string_view text = internal::trimBlanks(raw);
    if (text.empty() || text.front() == ';') return line;
    if (text.front() == '[') {
        auto close = text.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Line::SectionHeader;
            line.name = internal::trimBlanks(text.substr(1, close - 1));
            return line;
        }
    }
    auto eq = text.find('=');
    if (eq == std::string_view::npos) return line;
    line.name = internal::trimBlanks(text.substr(0, eq));
    if (line.name.empty()) return line;
    line.kind = Line::Entry;
    line.value = unquote(internal::trimBlanks(text.substr(eq + 1)));
    return line;
}

// The lines view into the text, which stays on the heap so that moving a Parsed keeps them valid.
struct Parsed {
    std::unique_ptr<const std::string> text;
    std::vector<Line> lines;
};

std::optional<Parsed> load(const std::filesystem::path& path) {
    auto text = internal::readTextFile(path);
    if (!text) return std::nullopt;
    Parsed parsed;
    parsed.text = std::make_unique<const std::string>(std::move(*text));
    for (std::string_view raw : internal::splitLines(*parsed.text))
        parsed.lines.push_back(classify(raw));
    return parsed;
}

// Index range [begin, end) of the lines of the first section of that name, header excluded.
struct Range {
    std::size_t header, begin, end;
};

std::optional<Range> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::SectionHeader || !equalsIgnoreCase(lines[i].name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != Line::SectionHeader) ++end;
        return Range{i, i + 1, end};
    }
    return std::nullopt;
}

const Line* findEntry(const std::vector<Line>& lines, std::string_view section,
                      std::string_view key) {
    auto range = findSection(lines, section);
    if (!range) return nullptr;
    for (std::size_t i = range->begin; i < range->end; ++i)
        if (lines[i].kind == Line::Entry && equalsIgnoreCase(lines[i].name, key)) return &lines[i];
    return nullptr;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos ||
           text.find('\0') != std::string_view::npos;
}

void checkName(std::string_view what, std::string_view name, std::string_view forbidden) {
    if (hasLineBreak(name) || name.find_first_of(forbidden) != std::string_view::npos ||
        internal::trimBlanks(name) != name)
        throw IniError("Invalid " + std::string(what) + " name \"" + std::string(name) + "\"");
}

// The text to put after "=" so that reading gives the value back unchanged.
std::string encodeValue(std::string_view value) {
    if (hasLineBreak(value))
        throw IniError("A value cannot hold a line break: \"" + std::string(value) + "\"");
    if (internal::trimBlanks(value) != value || unquote(value) != value)
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

std::string errnoText(const std::filesystem::path& path, const char* what) {
    return std::string(what) + " \"" + path.string() + "\": " + std::strerror(errno);
}

void writeAtomically(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::path dir = path.parent_path();
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;

    std::random_device rd;
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = (dir.empty() ? std::filesystem::path(".") : dir) /
               ("." + path.filename().string() + ".tmp" + std::to_string(rd()));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw IniError(errnoText(path, "Cannot write"));

    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(w);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = savedErrno;
        throw IniError(errnoText(path, "Cannot write"));
    }
}

std::string lineBreakOf(const std::string& text) {
    return text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
}

std::string join(const std::vector<std::string>& lines, const std::string& lineBreak) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += lineBreak;
    }
    return out;
}

}  // namespace

IniFile::IniFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    auto parsed = load(m_path);
    if (!parsed) return std::nullopt;
    const Line* entry = findEntry(parsed->lines, section, key);
    if (entry == nullptr) return std::nullopt;
    return std::string(entry->value);
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    return value(section, key).value_or(std::string(defaultValue));
}

bool IniFile::hasSection(std::string_view section) const {
    auto parsed = load(m_path);
    return parsed && findSection(parsed->lines, section).has_value();
}

std::vector<std::string> IniFile::sectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    auto parsed = load(m_path);
    if (!parsed) return keys;
    auto range = findSection(parsed->lines, section);
    if (!range) return keys;
    for (std::size_t i = range->begin; i < range->end; ++i) {
        const Line& line = parsed->lines[i];
        if (line.kind != Line::Entry) continue;
        bool seen = false;
        for (const std::string& k : keys) seen = seen || equalsIgnoreCase(k, line.name);
        if (!seen) keys.emplace_back(line.name);
    }
    return keys;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    checkName("section", section, "]");
    checkName("key", key, "=");
    if (key.empty() || key.front() == '[' || key.front() == ';')
        throw IniError("Invalid key name \"" + std::string(key) + "\"");
    const std::string entry = std::string(key) + "=" + encodeValue(value);

    auto parsed = load(m_path);
    std::string lineBreak = parsed ? lineBreakOf(*parsed->text) : "\n";
    std::vector<std::string> out;
    std::vector<Line> lines;
    if (parsed) {
        lines = parsed->lines;
        for (const Line& line : lines) out.emplace_back(line.raw);
    }

    auto range = findSection(lines, section);
    if (!range) {
        if (!out.empty() && !internal::trimBlanks(out.back()).empty()) out.emplace_back();
        out.push_back("[" + std::string(section) + "]");
        out.push_back(entry);
    } else {
        std::optional<std::size_t> at;
        for (std::size_t i = range->begin; i < range->end && !at; ++i)
            if (lines[i].kind == Line::Entry && equalsIgnoreCase(lines[i].name, key)) at = i;
        if (at) {
            out[*at] = entry;
        } else {
            // After the section's last non-blank line, so blank separators stay between sections.
            std::size_t insert = range->begin;
            for (std::size_t i = range->begin; i < range->end; ++i)
                if (!internal::trimBlanks(lines[i].raw).empty()) insert = i + 1;
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(insert), entry);
        }
    }
    writeAtomically(m_path, join(out, lineBreak));
}

void IniFile::deleteKey(std::string_view section, std::string_view key) {
    auto parsed = load(m_path);
    if (!parsed) return;
    auto range = findSection(parsed->lines, section);
    if (!range) return;
    std::vector<std::string> out;
    bool removed = false;
    for (std::size_t i = 0; i < parsed->lines.size(); ++i) {
        const Line& line = parsed->lines[i];
        bool inSection = i >= range->begin && i < range->end;
        if (inSection && line.kind == Line::Entry && equalsIgnoreCase(line.name, key)) {
            removed = true;
            continue;
        }
        out.emplace_back(line.raw);
    }
    if (removed) writeAtomically(m_path, join(out, lineBreakOf(*parsed->text)));
}

}  // namespace lumo::ini
