#include "platform/registry/internal/Hive.h"

#include <unordered_set>
#include <utility>

#include "platform/registry/Registry.h"

namespace lumo::registry::internal {

namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string foldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = fold(c);
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

// True when `parts` starts with `prefix`, compared without regard to case.
bool startsWith(const std::vector<std::string>& parts, const std::vector<std::string>& prefix) {
    if (parts.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (!equalsIgnoreCase(parts[i], prefix[i])) return false;
    return true;
}

bool samePath(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return a.size() == b.size() && startsWith(a, b);
}

std::string_view trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string joinPath(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '\\';
        out += parts[i];
    }
    return out;
}

void appendEscaped(std::string& out, char c) {
    switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
    }
}

}  // namespace

std::string escapeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) appendEscaped(out, c);
    return out;
}

std::string escapeName(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 2);
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c == '=') {
            out += "\\=";
        } else if (i == 0 && (c == '[' || c == ';' || c == '#' || c == '@' || c == ' ')) {
            out += '\\';
            out += c;
        } else {
            appendEscaped(out, c);
        }
    }
    return out;
}

std::string unescape(std::string_view text, bool isName) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        char next = text[++i];
        switch (next) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            default:
                if (!isName) out += '\\';
                out += next;
        }
    }
    return out;
}

std::vector<std::string> Hive::splitPath(std::string_view keyPath) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        std::size_t end = keyPath.find('\\', start);
        if (end == std::string_view::npos) end = keyPath.size();
        std::string_view part = keyPath.substr(start, end - start);
        for (char c : part)
            if (static_cast<unsigned char>(c) < 0x20)
                throw RegistryError("Invalid registry key path \"" + std::string(keyPath) + "\"");
        if (!part.empty()) parts.emplace_back(part);
        start = end + 1;
    }
    return parts;
}

Hive Hive::parse(std::string_view text) {
    Hive hive;
    std::size_t current = static_cast<std::size_t>(-1);  // none yet: entries are skipped
    std::vector<std::unordered_set<std::string>> seenNames;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::string_view t = trimmed(line);
        if (t.empty() || t.front() == ';' || t.front() == '#') continue;
        if (t.front() == '[' && t.back() == ']' && t.size() >= 2) {
            std::vector<std::string> parts;
            try {
                parts = splitPath(trimmed(t.substr(1, t.size() - 2)));
            } catch (const RegistryError&) {
                current = static_cast<std::size_t>(-1);
                continue;
            }
            current = hive.m_keys.size();
            for (std::size_t i = 0; i < hive.m_keys.size(); ++i)
                if (samePath(hive.m_keys[i].parts, parts)) current = i;
            if (current == hive.m_keys.size()) {
                hive.m_keys.push_back(HiveKey{std::move(parts), {}});
                seenNames.emplace_back();
            }
            continue;
        }
        if (current == static_cast<std::size_t>(-1)) continue;

        // The name ends at the first "=" that is not escaped.
        std::size_t eq = std::string_view::npos;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\') {
                ++i;
            } else if (line[i] == '=') {
                eq = i;
                break;
            }
        }
        if (eq == std::string_view::npos || eq == 0) continue;
        std::string_view rawName = line.substr(0, eq);
        std::string name = rawName == "@" ? std::string() : unescape(rawName, true);
        if (name.empty() && rawName != "@") continue;
        if (!seenNames[current].insert(foldCase(name)).second) continue;
        hive.m_keys[current].values.push_back(
            HiveValue{std::move(name), unescape(line.substr(eq + 1), false)});
    }
    return hive;
}

std::string Hive::serialize() const {
    std::string out;
    for (const HiveKey& key : m_keys) {
        if (!out.empty()) out += '\n';
        out += '[';
        out += joinPath(key.parts);
        out += "]\n";
        for (const HiveValue& v : key.values) {
            out += v.name.empty() ? std::string("@") : escapeName(v.name);
            out += '=';
            out += escapeValue(v.data);
            out += '\n';
        }
    }
    return out;
}

bool Hive::exists(const std::vector<std::string>& parts) const {
    if (parts.empty()) return true;
    for (const HiveKey& key : m_keys)
        if (startsWith(key.parts, parts)) return true;
    return false;
}

const HiveKey* Hive::find(const std::vector<std::string>& parts) const {
    for (const HiveKey& key : m_keys)
        if (samePath(key.parts, parts)) return &key;
    return nullptr;
}

HiveKey* Hive::find(const std::vector<std::string>& parts) {
    return const_cast<HiveKey*>(std::as_const(*this).find(parts));
}

HiveKey& Hive::create(const std::vector<std::string>& parts) {
    for (HiveKey& key : m_keys)
        if (samePath(key.parts, parts)) return key;
    // Each part takes the spelling already used for it by a key at or below that level.
    std::vector<std::string> spelled = parts;
    for (std::size_t n = 1; n <= parts.size(); ++n) {
        std::vector<std::string> prefix(parts.begin(), parts.begin() + static_cast<long>(n));
        for (const HiveKey& key : m_keys) {
            if (startsWith(key.parts, prefix)) {
                spelled[n - 1] = key.parts[n - 1];
                break;
            }
        }
    }
    m_keys.push_back(HiveKey{std::move(spelled), {}});
    return m_keys.back();
}

bool Hive::removeTree(const std::vector<std::string>& parts) {
    auto before = m_keys.size();
    std::erase_if(m_keys, [&](const HiveKey& key) { return startsWith(key.parts, parts); });
    return m_keys.size() != before;
}

std::vector<std::string> Hive::subKeys(const std::vector<std::string>& parts) const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const HiveKey& key : m_keys) {
        if (key.parts.size() <= parts.size() || !startsWith(key.parts, parts)) continue;
        const std::string& child = key.parts[parts.size()];
        if (seen.insert(foldCase(child)).second) names.push_back(child);
    }
    return names;
}

const HiveValue* Hive::findValue(const HiveKey& key, std::string_view name) {
    for (const HiveValue& v : key.values)
        if (equalsIgnoreCase(v.name, name)) return &v;
    return nullptr;
}

void Hive::setValue(HiveKey& key, const std::string& name, const std::string& data) {
    for (HiveValue& v : key.values) {
        if (equalsIgnoreCase(v.name, name)) {
            v.data = data;  // the name keeps its first spelling, as on Windows
            return;
        }
    }
    key.values.push_back(HiveValue{name, data});
}

bool Hive::removeValue(HiveKey& key, std::string_view name) {
    auto before = key.values.size();
    std::erase_if(key.values, [&](const HiveValue& v) { return equalsIgnoreCase(v.name, name); });
    return key.values.size() != before;
}

}  // namespace lumo::registry::internal
