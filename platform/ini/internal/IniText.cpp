#include "platform/ini/internal/IniText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/ini/IniError.h"

namespace lumo::ini::internal {

namespace {

std::string errnoText(const std::filesystem::path& path, const char* what) {
    return std::string(what) + " \"" + path.string() + "\": " + std::strerror(errno);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Notepad saves "Unicode" files as UTF-16 with a byte order mark; lone surrogates become U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> char16_t {
        auto b0 = static_cast<unsigned char>(bytes[i]);
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
    };
    std::size_t n = bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < n; i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < n) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

bool isBlankOrTab(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<std::string> readTextFile(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throw IniError(errnoText(path, "Cannot open"));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0) throw IniError(errnoText(path, "Cannot examine"));
    if (!S_ISREG(st.st_mode)) throw IniError("Not a regular file: \"" + path.string() + "\"");
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize)
        throw IniError("File too large: \"" + path.string() + "\"");

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t r = ::read(fd, buffer, sizeof buffer);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw IniError(errnoText(path, "Cannot read"));
        }
        if (r == 0) break;
        // The file may grow while it is read.
        if (bytes.size() + static_cast<std::size_t>(r) > kMaxFileSize)
            throw IniError("File too large: \"" + path.string() + "\"");
        bytes.append(buffer, static_cast<std::size_t>(r));
    }

    std::string_view view(bytes);
    if (view.starts_with("\xEF\xBB\xBF")) return std::string(view.substr(3));
    if (view.starts_with("\xFF\xFE")) return utf16ToUtf8(view.substr(2), false);
    if (view.starts_with("\xFE\xFF")) return utf16ToUtf8(view.substr(2), true);
    return bytes;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\n' && c != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string_view trimControl(std::string_view text) {
    auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlankOrTab(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlankOrTab(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string foldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace lumo::ini::internal
