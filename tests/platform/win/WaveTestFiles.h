// Builders of small RIFF wave files for the wave tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace wavetest {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint16_t v);
void put32(Bytes& b, std::uint32_t v);
void putId(Bytes& b, const char* id);
// A chunk with its header; odd sizes get the pad byte.
void putChunk(Bytes& b, const char* id, const Bytes& body);

// A 16-byte PCM "fmt " body.
Bytes pcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                std::uint16_t formatTag = 1);
// A 40-byte WAVE_FORMAT_EXTENSIBLE "fmt " body with the given sub-format code.
Bytes extensibleFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                       std::uint16_t subFormat);
// "RIFF" size "WAVE" followed by the chunks (the RIFF size is set from the total).
Bytes riff(const Bytes& chunks);
// A whole PCM file: frames of a simple ramp.
Bytes simpleWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 std::size_t frames);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace wavetest
