#include "platform/win/WaveFile.h"

#include <fstream>

namespace lumo::win {

namespace {

// The wave cues are short; a bigger file is not one of them.
constexpr std::uintmax_t kMaxFileSize = 64 * 1024 * 1024;

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool isId(const std::uint8_t* p, const char (&id)[5]) {
    return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3];
}

}  // namespace

std::optional<WaveFile> WaveFile::parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12 || !isId(bytes.data(), "RIFF") || !isId(bytes.data() + 8, "WAVE"))
        return std::nullopt;

    WaveFile wave;
    bool haveFormat = false;
    std::optional<std::span<const std::uint8_t>> data;
    std::size_t pos = 12;
    while (bytes.size() - pos >= 8) {
        const std::uint8_t* header = bytes.data() + pos;
        const std::uint64_t size = u32(header + 4);
        pos += 8;
        const std::size_t available = bytes.size() - pos;
        if (isId(header, "data")) {
            data = bytes.subspan(
                pos, static_cast<std::size_t>(std::min<std::uint64_t>(size, available)));
            if (haveFormat) break;
        } else if (isId(header, "fmt ")) {
            if (size < 16 || size > available) return std::nullopt;
            const std::uint8_t* fmt = bytes.data() + pos;
            std::uint16_t format = u16(fmt);
            if (format == kFormatExtensible) {
                // The sub-format GUID starts with the plain format code.
                if (size < 40 || u16(fmt + 24) != kFormatPcm) return std::nullopt;
                format = kFormatPcm;
            }
            if (format != kFormatPcm) return std::nullopt;
            wave.channels = u16(fmt + 2);
            wave.sampleRate = u32(fmt + 4);
            wave.bitsPerSample = u16(fmt + 14);
            haveFormat = true;
            if (data) break;
        }
        if (size > available) break;
        pos += static_cast<std::size_t>(size + (size & 1));
        if (pos > bytes.size()) break;
    }
    if (!haveFormat || !data) return std::nullopt;
    if (wave.channels < 1 || wave.channels > 2) return std::nullopt;
    if (wave.bitsPerSample != 8 && wave.bitsPerSample != 16) return std::nullopt;
    if (wave.sampleRate == 0) return std::nullopt;

    const std::size_t whole = data->size() - data->size() % wave.frameBytes();
    wave.samples.assign(data->begin(), data->begin() + static_cast<std::ptrdiff_t>(whole));
    return wave;
}

std::optional<WaveFile> WaveFile::load(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileSize) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return parse(bytes);
}

}  // namespace lumo::win
