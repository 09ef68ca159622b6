// WavePlayer: the platform's simple wave player (the stand-in for sndPlaySound), and the one
// process-wide player that the capture dialogs' sound routine uses.
//
// play(file, async): async returns at once and plays in the background; otherwise it returns
// when the sound has finished. A newer playback stops an older asynchronous one. A missing or
// unplayable file, or no audio device, is silence: play never throws and never reports.
//
// The current player is ALSA-backed by default (AlsaWavePlayer). Tests install another one
// with setWavePlayer(), typically a RecordingWavePlayer through a ScopedWavePlayer.
// setWavePlayer/wavePlayer may be called from any thread.
#pragma once

#include <memory>
#include <string>

namespace lumo::win {

class WavePlayer {
public:
    virtual ~WavePlayer() = default;
    virtual void play(const std::string& fileName, bool async) = 0;
};

// The current player (created on first use).
std::shared_ptr<WavePlayer> wavePlayer();
// Replaces the current player; nullptr restores the default ALSA player.
void setWavePlayer(std::shared_ptr<WavePlayer> player);
// wavePlayer()->play(fileName, async).
void playWave(const std::string& fileName, bool async);

}  // namespace lumo::win
