// AlsaWavePlayer: the default wave player, playing PCM wave files (see WaveFile.h) through
// ALSA.
//
// The device is the constructor's name, else $LUMO_ALSA_DEVICE, else "default" ("null" plays
// instantly into nothing, which tests use to run the whole path). Blocking playback writes all
// frames and waits with snd_pcm_drain. Asynchronous playback runs in a detached worker that
// holds only shared state, so it may outlive the player. Every new playback of a player (either
// kind) stops that player's older asynchronous playback between two writes, as sndPlaySound
// does. A busy or missing device, a missing file and a bad file are silence; ALSA's own error
// messages are silenced.
//
// Threads: any thread may call; calls do not block one another except that a blocking play
// blocks its caller. Never throws.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/win/WavePlayer.h"

namespace lumo::win {

class AlsaWavePlayer : public WavePlayer {
public:
    enum class Outcome {
        Played,      // every frame was written and drained
        Stopped,     // a newer playback stopped it
        NoSound,     // missing, unreadable or unplayable file
        NoDevice,    // the device could not be opened or set up
        DeviceError  // the device failed while playing
    };

    explicit AlsaWavePlayer(std::string deviceName = {});
    // Stops this player's asynchronous playback; does not wait for it.
    ~AlsaWavePlayer() override;

    void play(const std::string& fileName, bool async) override;
    // A blocking play that tells what happened.
    Outcome playBlocking(const std::string& fileName);
    // Waits until no asynchronous playback of this player runs; false when the time ran out.
    bool waitForIdle(std::chrono::milliseconds timeout);
    // The outcome of the playback that finished last (NoSound before any).
    Outcome lastOutcome() const;

    const std::string& deviceName() const { return m_device; }

private:
    struct Shared;
    std::string m_device;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace lumo::win
