// RecordingWavePlayer: a wave player for tests that plays nothing and records every request
// (file name and asynchronous flag) in order. Thread-safe.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/win/WavePlayer.h"

namespace lumo::win {

class RecordingWavePlayer : public WavePlayer {
public:
    struct Request {
        std::string fileName;
        bool async;
        bool operator==(const Request&) const = default;
    };

    void play(const std::string& fileName, bool async) override {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(Request{fileName, async});
    }
    std::vector<Request> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // Just the file names, in order.
    std::vector<std::string> fileNames() const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> names;
        for (const Request& r : m_requests) names.push_back(r.fileName);
        return names;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_requests.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};

}  // namespace lumo::win
