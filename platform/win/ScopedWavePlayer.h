// ScopedWavePlayer: installs a wave player as the current one for its lifetime and puts the
// previous one back afterwards. For tests:
//
//     auto recorder = std::make_shared<lumo::win::RecordingWavePlayer>();
//     lumo::win::ScopedWavePlayer scope(recorder);
//     ... run code that plays sounds ...
//     EXPECT_EQ(recorder->fileNames(), (std::vector<std::string>{"WaitFor.wav"}));
#pragma once

#include <memory>
#include <utility>

#include "platform/win/WavePlayer.h"

namespace lumo::win {

class ScopedWavePlayer {
public:
    explicit ScopedWavePlayer(std::shared_ptr<WavePlayer> player) : m_previous(wavePlayer()) {
        setWavePlayer(std::move(player));
    }
    ~ScopedWavePlayer() { setWavePlayer(std::move(m_previous)); }
    ScopedWavePlayer(const ScopedWavePlayer&) = delete;
    ScopedWavePlayer& operator=(const ScopedWavePlayer&) = delete;

private:
    std::shared_ptr<WavePlayer> m_previous;
};

}  // namespace lumo::win
