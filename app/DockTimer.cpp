#include "app/DockTimer.h"

#include <algorithm>
#include <utility>

namespace melvora {

DockTimer::DockTimer(std::function<void()> tick) {
    QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
}

void DockTimer::SetPeriod(int32_t milliseconds) {
    const int32_t period = std::max(milliseconds, 0);
    if (period == m_period) {
        return;
    }
    m_period = period;
    if (period == 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(std::max(period, kShortestInterval));
    ++m_startCount;
}

}  // namespace melvora
