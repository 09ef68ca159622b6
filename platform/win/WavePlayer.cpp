#include "platform/win/WavePlayer.h"

#include <mutex>

#include "platform/win/AlsaWavePlayer.h"

namespace lumo::win {

namespace {

struct Current {
    std::mutex mutex;
    std::shared_ptr<WavePlayer> player;
};

Current& current() {
    static Current c;
    return c;
}

}  // namespace

std::shared_ptr<WavePlayer> wavePlayer() {
    Current& c = current();
    std::lock_guard lock(c.mutex);
    if (!c.player) c.player = std::make_shared<AlsaWavePlayer>();
    return c.player;
}

void setWavePlayer(std::shared_ptr<WavePlayer> player) {
    Current& c = current();
    std::lock_guard lock(c.mutex);
    c.player = std::move(player);
}

void playWave(const std::string& fileName, bool async) {
    // Played outside the lock: a blocking play must not hold up setWavePlayer.
    wavePlayer()->play(fileName, async);
}

}  // namespace lumo::win
