// WaveFile: the PCM contents of a RIFF wave file, as the wave player needs them.
//
// Accepted: "RIFF"/"WAVE" with a "fmt " chunk of PCM (format 1, or WAVE_FORMAT_EXTENSIBLE with
// the PCM sub-format), 8-bit unsigned or 16-bit signed little-endian samples, 1 or 2 channels,
// any positive sample rate, and a "data" chunk. Other chunks (LIST, fact, cue, ...) are
// skipped in any order; chunks are padded to even sizes. A data chunk whose stated size runs
// past the end of the file (as streaming writers leave it) is cut to the bytes present, in whole
// frames. Anything else (not RIFF, cut inside the header, no fmt or data, compressed or other
// sample formats) is rejected with std::nullopt, never a crash.
// A value type; no threads, no errors thrown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace lumo::win {

struct WaveFile {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    // Interleaved samples, whole frames only.
    std::vector<std::uint8_t> samples;

    std::size_t frameBytes() const { return std::size_t{channels} * (bitsPerSample / 8u); }
    std::size_t frameCount() const { return frameBytes() ? samples.size() / frameBytes() : 0; }

    static std::optional<WaveFile> parse(std::span<const std::uint8_t> bytes);
    // std::nullopt also for a missing or unreadable file, or one above 64 MiB.
    static std::optional<WaveFile> load(const std::filesystem::path& path);
};

}  // namespace lumo::win
