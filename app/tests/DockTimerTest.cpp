#include <gtest/gtest.h>

#include <atomic>

#include "app/DockTimer.h"
#include "app/tests/QtTestSupport.h"

namespace melvora {
namespace {

using melvora::testing::ProcessEventsUntil;

TEST(DockTimerTest, PeriodRules) {
    struct Step {
        int32_t period;
        bool running;
        int32_t interval;  // only checked while running
        int32_t starts;
    };
    // 0 stops, a new positive period restarts, the same period changes nothing, and nothing
    // runs faster than 10 ms.
    const Step steps[] = {
        {1, true, 10, 1},  {1, true, 10, 1},  {0, false, 0, 1},  {0, false, 0, 1},
        {1, true, 10, 2},  {25, true, 25, 3}, {25, true, 25, 3}, {9, true, 10, 4},
        {-5, false, 0, 4}, {10, true, 10, 5},
    };
    DockTimer timer([] {});
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(timer.Period(), 0);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.period);
        timer.SetPeriod(step.period);
        EXPECT_EQ(timer.IsRunning(), step.running);
        EXPECT_EQ(timer.Period(), step.running ? step.period : 0);
        if (step.running) {
            EXPECT_EQ(timer.Interval(), step.interval);
        }
        EXPECT_EQ(timer.StartCount(), step.starts);
    }
}

TEST(DockTimerTest, TicksWhileRunningAndNotOnceStopped) {
    int ticks = 0;
    DockTimer timer([&ticks] { ++ticks; });
    timer.SetPeriod(1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ticks >= 3; }));
    timer.SetPeriod(0);
    const int stoppedAt = ticks;
    melvora::testing::ProcessEventsBriefly();
    EXPECT_EQ(ticks, stoppedAt);
}

}  // namespace
}  // namespace melvora
