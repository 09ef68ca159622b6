#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "WaveTestFiles.h"
#include "platform/win/WaveFile.h"

using lumo::win::WaveFile;
using namespace wavetest;

namespace {

Bytes ramp(std::size_t n) {
    Bytes b;
    for (std::size_t i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(i));
    return b;
}

}  // namespace

TEST(WaveFile, AcceptedFormats) {
    struct Case {
        const char* name;
        Bytes file;
        std::uint16_t channels;
        std::uint32_t rate;
        std::uint16_t bits;
        std::size_t frames;
    };
    Bytes listChunk;
    putChunk(listChunk, "LIST", ramp(26));
    Bytes oddChunk;
    putChunk(oddChunk, "junk", ramp(3));  // odd size: followed by a pad byte

    auto build = [](std::initializer_list<Bytes> parts) {
        Bytes chunks;
        for (const Bytes& p : parts) chunks.insert(chunks.end(), p.begin(), p.end());
        return riff(chunks);
    };
    auto chunk = [](const char* id, const Bytes& body) {
        Bytes b;
        putChunk(b, id, body);
        return b;
    };
    const Case cases[] = {
        {"8-bit mono", simpleWave(1, 11025, 8, 100), 1, 11025, 8, 100},
        {"16-bit stereo", simpleWave(2, 44100, 16, 50), 2, 44100, 16, 50},
        {"16-bit mono, odd rate", simpleWave(1, 12345, 16, 7), 1, 12345, 16, 7},
        {"unknown chunks before and between",
         build(
             {listChunk, chunk("fmt ", pcmFormat(1, 8000, 8)), oddChunk, chunk("data", ramp(10))}),
         1, 8000, 8, 10},
        {"data before fmt", build({chunk("data", ramp(8)), chunk("fmt ", pcmFormat(2, 8000, 16))}),
         2, 8000, 16, 2},
        {"longer fmt chunk (cbSize)",
         build({chunk("fmt ",
                      [] {
                          Bytes f = pcmFormat(1, 8000, 16);
                          put16(f, 0);
                          return f;
                      }()),
                chunk("data", ramp(6))}),
         1, 8000, 16, 3},
        {"extensible PCM",
         build({chunk("fmt ", extensibleFormat(2, 48000, 16, 1)), chunk("data", ramp(16))}), 2,
         48000, 16, 4},
        {"partial last frame dropped",
         build({chunk("fmt ", pcmFormat(2, 8000, 16)), chunk("data", ramp(11))}), 2, 8000, 16, 2},
        {"empty data", build({chunk("fmt ", pcmFormat(1, 8000, 8)), chunk("data", {})}), 1, 8000, 8,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto wave = WaveFile::parse(c.file);
        ASSERT_TRUE(wave.has_value());
        EXPECT_EQ(wave->channels, c.channels);
        EXPECT_EQ(wave->sampleRate, c.rate);
        EXPECT_EQ(wave->bitsPerSample, c.bits);
        EXPECT_EQ(wave->frameCount(), c.frames);
        EXPECT_EQ(wave->samples.size(), c.frames * wave->frameBytes());
    }
}

TEST(WaveFile, SamplesAreTheDataChunkBytes) {
    Bytes chunks;
    putChunk(chunks, "fmt ", pcmFormat(1, 8000, 8));
    putChunk(chunks, "data", Bytes{1, 2, 3, 250});
    auto wave = WaveFile::parse(riff(chunks));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->samples, (std::vector<std::uint8_t>{1, 2, 3, 250}));
}

TEST(WaveFile, DataCutShortKeepsTheWholeFramesPresent) {
    Bytes file = simpleWave(2, 8000, 16, 100);
    file.resize(file.size() - 101);  // 25 frames and one byte missing
    auto wave = WaveFile::parse(file);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->frameCount(), 74u);

    Bytes streaming;
    putChunk(streaming, "fmt ", pcmFormat(1, 8000, 8));
    putId(streaming, "data");
    put32(streaming, 0xFFFFFFFF);  // size unknown when the writer started
    streaming.insert(streaming.end(), 20, 128);
    wave = WaveFile::parse(riff(streaming));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->frameCount(), 20u);
}

TEST(WaveFile, RejectedFiles) {
    auto fileWith = [](const Bytes& fmt, const Bytes& data = Bytes(8, 0)) {
        Bytes chunks;
        putChunk(chunks, "fmt ", fmt);
        putChunk(chunks, "data", data);
        return riff(chunks);
    };
    Bytes notRiff = simpleWave(1, 8000, 8, 10);
    notRiff[0] = 'X';
    Bytes notWave = simpleWave(1, 8000, 8, 10);
    notWave[8] = 'A';
    Bytes noData;
    putChunk(noData, "fmt ", pcmFormat(1, 8000, 8));
    Bytes noFmt;
    putChunk(noFmt, "data", Bytes(8, 0));
    Bytes fmtCut = simpleWave(1, 8000, 8, 10);
    fmtCut.resize(12 + 8 + 10);
    Bytes shortFmt;
    putChunk(shortFmt, "fmt ", Bytes(14, 0));
    putChunk(shortFmt, "data", Bytes(8, 0));
    Bytes hugeChunk;
    putId(hugeChunk, "LIST");
    put32(hugeChunk, 0xFFFFFFF0);
    hugeChunk.insert(hugeChunk.end(), 30, 0);

    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"only RIFF", Bytes{'R', 'I', 'F', 'F'}},
        {"not RIFF", notRiff},
        {"not WAVE", notWave},
        {"no data chunk", riff(noData)},
        {"no fmt chunk", riff(noFmt)},
        {"cut inside fmt", fmtCut},
        {"fmt too short", riff(shortFmt)},
        {"chunk larger than the file", riff(hugeChunk)},
        {"ADPCM", fileWith(pcmFormat(1, 8000, 4, 2))},
        {"float", fileWith(pcmFormat(1, 8000, 32, 3))},
        {"24-bit", fileWith(pcmFormat(1, 8000, 24))},
        {"32-bit", fileWith(pcmFormat(1, 8000, 32))},
        {"no channels", fileWith(pcmFormat(0, 8000, 16))},
        {"three channels", fileWith(pcmFormat(3, 8000, 16))},
        {"zero rate", fileWith(pcmFormat(1, 0, 16))},
        {"extensible float", fileWith(extensibleFormat(2, 8000, 16, 3))},
        {"extensible too short", fileWith(Bytes(pcmFormat(1, 8000, 16, 0xFFFE)))},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(WaveFile::parse(bytes).has_value());
    }
}

TEST(WaveFile, RandomBytesNeverCrash) {
    std::mt19937 rng(7);
    Bytes good = simpleWave(2, 22050, 16, 64);
    for (int round = 0; round < 2000; ++round) {
        Bytes b = good;
        // Damage a few bytes anywhere, and sometimes cut the file.
        for (int i = 0; i < 4; ++i) b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
        if (rng() % 3 == 0) b.resize(rng() % b.size());
        auto wave = WaveFile::parse(b);
        if (wave) {
            EXPECT_LE(wave->samples.size(), b.size());
            EXPECT_EQ(wave->samples.size() % wave->frameBytes(), 0u);
        }
    }
}

TEST(WaveFile, LoadReadsFilesAndTreatsMissingOnesAsNothing) {
    std::string pattern = (std::filesystem::temp_directory_path() / "wave-XXXXXX").string();
    std::filesystem::path dir = ::mkdtemp(pattern.data());
    writeFile(dir / "WaitFor.wav", simpleWave(1, 8000, 8, 40));
    auto wave = WaveFile::load(dir / "WaitFor.wav");
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->frameCount(), 40u);
    EXPECT_FALSE(WaveFile::load(dir / "missing.wav"));
    EXPECT_FALSE(WaveFile::load(dir)) << "a folder";
    std::filesystem::remove_all(dir);
}
