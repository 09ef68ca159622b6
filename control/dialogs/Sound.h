// Sound routines of the capture dialogs: PlaySound and Delay.
//
// PlaySound(fileName, async) plays a wave file of the current folder (the name is used as
// given, without any folder) on the platform's wave player when such a file exists; a missing
// file or a failing playback is silence. async returns at once; otherwise it returns when the
// sound has finished, without processing window messages.
//
// Delay(ms) waits while processing window messages, so handlers can nest during the pause;
// it ends when ms milliseconds of the tick count have passed or the tick count wrapped.
// Tests shorten the wait with a ScopedDelay, which records each request and only processes
// the pending events once.
//
// GUI thread only; neither routine throws.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumo::dialogs {

void PlaySound(const std::string& fileName, bool async);
void Delay(std::uint32_t milliseconds);

// Replaces Delay's wait for its lifetime: each Delay call records its milliseconds, processes
// pending events once and then runs onDelay (if set) instead of waiting.
class ScopedDelay {
public:
    ScopedDelay();
    ~ScopedDelay();
    ScopedDelay(const ScopedDelay&) = delete;
    ScopedDelay& operator=(const ScopedDelay&) = delete;

    const std::vector<std::uint32_t>& requests() const { return m_requests; }
    std::function<void(std::uint32_t)> onDelay;

private:
    friend void Delay(std::uint32_t);
    std::vector<std::uint32_t> m_requests;
    ScopedDelay* m_previous;
};

}  // namespace lumo::dialogs
