#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

namespace melvora {

// The window's periodic timer 时钟1. Its period is set in milliseconds: 0 stops it, a positive
// period that differs from the current one restarts it, the period it already has changes
// nothing. It never runs faster than kShortestInterval, so a period of 1 means "as often as is
// sensible": a window-manager round trip every millisecond would cost more than it gives.
class DockTimer {
public:
    static constexpr int32_t kShortestInterval = 10;

    explicit DockTimer(std::function<void()> tick);

    void SetPeriod(int32_t milliseconds);
    // The period last set (0 when stopped), not the interval actually run.
    [[nodiscard]] int32_t Period() const { return m_period; }
    [[nodiscard]] bool IsRunning() const { return m_timer.isActive(); }
    // The interval the timer actually runs at.
    [[nodiscard]] int32_t Interval() const { return m_timer.interval(); }
    // How often the timer was (re)started, so a caller can tell a restart from no change.
    [[nodiscard]] int32_t StartCount() const { return m_startCount; }

private:
    QTimer m_timer;
    int32_t m_period = 0;
    int32_t m_startCount = 0;
};

}  // namespace melvora
