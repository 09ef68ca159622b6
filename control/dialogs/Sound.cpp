#include "control/dialogs/Sound.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

#include "platform/win/TickCount.h"
#include "platform/win/WavePlayer.h"

namespace lumo::dialogs {

namespace {

ScopedDelay* g_delayOverride = nullptr;

}  // namespace

void PlaySound(const std::string& fileName, bool async) {
    std::error_code error;
    if (fileName.empty() || !std::filesystem::is_regular_file(fileName, error)) return;
    win::playWave(fileName, async);
}

void Delay(std::uint32_t milliseconds) {
    if (ScopedDelay* scope = g_delayOverride) {
        scope->m_requests.push_back(milliseconds);
        QCoreApplication::processEvents();
        if (scope->onDelay) scope->onDelay(milliseconds);
        return;
    }
    const std::uint32_t t0 = win::tickCount();
    // A timer wakes the loop at the end, so the wait sleeps between events instead of spinning.
    // A timer may fire a little before the tick count has moved on; it is then started again for
    // what is left, or the loop would wait for an event that never comes.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        const std::uint32_t t = win::tickCount();
        if (t - t0 >= milliseconds) break;  // unsigned: right across the wrap too
        if (!wake.isActive()) wake.start(int(std::min<std::uint32_t>(milliseconds - (t - t0), INT_MAX)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

ScopedDelay::ScopedDelay() : m_previous(g_delayOverride) { g_delayOverride = this; }

ScopedDelay::~ScopedDelay() { g_delayOverride = m_previous; }

}  // namespace lumo::dialogs
