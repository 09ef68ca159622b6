#include "platform/win/AlsaWavePlayer.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/win/WaveFile.h"

namespace lumo::win {

struct AlsaWavePlayer::Shared {
    // Each playback takes the next generation; one that sees a newer one stops.
    std::atomic<std::uint64_t> generation{0};
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
    Outcome last = Outcome::NoSound;
};

namespace {

// Latency asked of ALSA: short, so that a stop or the final drain takes little time.
constexpr unsigned kLatencyMicroseconds = 100000;
constexpr snd_pcm_uframes_t kFramesPerWrite = 1024;

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsaErrors() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&ignoreAlsaError); });
}

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using Pcm = std::unique_ptr<snd_pcm_t, PcmCloser>;

AlsaWavePlayer::Outcome playFile(const std::string& device, const std::filesystem::path& path,
                                 const std::atomic<std::uint64_t>& generation, std::uint64_t mine) {
    using Outcome = AlsaWavePlayer::Outcome;
    std::optional<WaveFile> wave = WaveFile::load(path);
    if (!wave || wave->frameCount() == 0) return Outcome::NoSound;
    if (generation.load() != mine) return Outcome::Stopped;

    silenceAlsaErrors();
    snd_pcm_t* raw = nullptr;
    // Opened non-blocking so that a busy device fails at once instead of waiting for its
    // owner; writes are blocking again afterwards.
    if (snd_pcm_open(&raw, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return Outcome::NoDevice;
    Pcm pcm(raw);
    if (snd_pcm_nonblock(pcm.get(), 0) < 0) return Outcome::NoDevice;
    const snd_pcm_format_t format =
        wave->bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    if (snd_pcm_set_params(pcm.get(), format, SND_PCM_ACCESS_RW_INTERLEAVED, wave->channels,
                           wave->sampleRate, 1, kLatencyMicroseconds) < 0)
        return Outcome::NoDevice;

    const std::size_t frameBytes = wave->frameBytes();
    const std::uint8_t* data = wave->samples.data();
    snd_pcm_uframes_t left = wave->frameCount();
    while (left > 0) {
        if (generation.load() != mine) {
            snd_pcm_drop(pcm.get());
            return Outcome::Stopped;
        }
        snd_pcm_sframes_t n = snd_pcm_writei(pcm.get(), data, std::min(left, kFramesPerWrite));
        if (n < 0) n = snd_pcm_recover(pcm.get(), static_cast<int>(n), 1);
        if (n < 0) {
            snd_pcm_drop(pcm.get());
            return Outcome::DeviceError;
        }
        data += static_cast<std::size_t>(n) * frameBytes;
        left -= static_cast<snd_pcm_uframes_t>(n);
    }
    if (generation.load() != mine) {
        snd_pcm_drop(pcm.get());
        return Outcome::Stopped;
    }
    snd_pcm_drain(pcm.get());
    return Outcome::Played;
}

std::string chooseDevice(std::string name) {
    if (!name.empty()) return name;
    if (const char* env = std::getenv("LUMO_ALSA_DEVICE"); env != nullptr && *env != '\0')
        return env;
    return "default";
}

std::filesystem::path absoluteName(const std::string& fileName) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(fileName, ec);
    return ec ? std::filesystem::path(fileName) : p;
}

}  // namespace

AlsaWavePlayer::AlsaWavePlayer(std::string deviceName)
    : m_device(chooseDevice(std::move(deviceName))), m_shared(std::make_shared<Shared>()) {}

AlsaWavePlayer::~AlsaWavePlayer() { ++m_shared->generation; }

AlsaWavePlayer::Outcome AlsaWavePlayer::playBlocking(const std::string& fileName) {
    if (fileName.empty()) return Outcome::NoSound;
    const std::uint64_t mine = ++m_shared->generation;
    Outcome outcome = playFile(m_device, absoluteName(fileName), m_shared->generation, mine);
    std::lock_guard lock(m_shared->mutex);
    m_shared->last = outcome;
    return outcome;
}

void AlsaWavePlayer::play(const std::string& fileName, bool async) {
    if (!async) {
        playBlocking(fileName);
        return;
    }
    if (fileName.empty()) return;
    // The name is resolved now: the working folder may change before the worker reads it.
    std::filesystem::path path = absoluteName(fileName);
    const std::uint64_t mine = ++m_shared->generation;
    {
        std::lock_guard lock(m_shared->mutex);
        ++m_shared->running;
    }
    auto worker = [shared = m_shared, device = m_device, path = std::move(path), mine] {
        Outcome outcome = playFile(device, path, shared->generation, mine);
        std::lock_guard lock(shared->mutex);
        shared->last = outcome;
        --shared->running;
        shared->idle.notify_all();
    };
    try {
        std::thread(std::move(worker)).detach();
    } catch (...) {
        // No thread, no sound.
        std::lock_guard lock(m_shared->mutex);
        --m_shared->running;
        m_shared->idle.notify_all();
    }
}

bool AlsaWavePlayer::waitForIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->idle.wait_for(lock, timeout, [&] { return m_shared->running == 0; });
}

AlsaWavePlayer::Outcome AlsaWavePlayer::lastOutcome() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->last;
}

}  // namespace lumo::win
