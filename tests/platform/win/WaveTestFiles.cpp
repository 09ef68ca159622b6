#include "WaveTestFiles.h"

#include <fstream>

namespace wavetest {

void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

void putChunk(Bytes& b, const char* id, const Bytes& body) {
    putId(b, id);
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
}

Bytes pcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                std::uint16_t formatTag) {
    Bytes f;
    put16(f, formatTag);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * channels * (bits / 8u));
    put16(f, static_cast<std::uint16_t>(channels * (bits / 8u)));
    put16(f, bits);
    return f;
}

Bytes extensibleFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                       std::uint16_t subFormat) {
    Bytes f = pcmFormat(channels, rate, bits, 0xFFFE);
    put16(f, 22);                       // extension size
    put16(f, bits);                     // valid bits
    put32(f, channels == 2 ? 3u : 4u);  // channel mask
    put16(f, subFormat);                // sub-format GUID: code, then the fixed tail
    const std::uint8_t tail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    f.insert(f.end(), std::begin(tail), std::end(tail));
    return f;
}

Bytes riff(const Bytes& chunks) {
    Bytes b;
    putId(b, "RIFF");
    put32(b, static_cast<std::uint32_t>(4 + chunks.size()));
    putId(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes simpleWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 std::size_t frames) {
    Bytes data;
    for (std::size_t i = 0; i < frames * channels * (bits / 8u); ++i)
        data.push_back(static_cast<std::uint8_t>(i * 7));
    Bytes chunks;
    putChunk(chunks, "fmt ", pcmFormat(channels, rate, bits));
    putChunk(chunks, "data", data);
    return riff(chunks);
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace wavetest
