#include <gtest/gtest.h>

#include <vector>

#include "docking/AlwaysOnTopSwitch.h"
#include "docking/FakeWindowSystem.h"

namespace melvora {
namespace {

using Request = FakeWindowSystem::AlwaysOnTopRequest;
constexpr NativeWindowId kWindow = 0x1400007;

TEST(AlwaysOnTopSwitchTest, OnlyChangesOfStateReachTheWindowSystem) {
    FakeWindowSystem windowSystem;
    AlwaysOnTopSwitch alwaysOnTop(windowSystem);

    for (const bool onTop : {false, true, true, true, false, false, true}) {
        alwaysOnTop.Set(kWindow, onTop);
    }

    EXPECT_EQ(windowSystem.AlwaysOnTopRequests(),
              (std::vector<Request>{{kWindow, true}, {kWindow, false}, {kWindow, true}}));
    EXPECT_TRUE(alwaysOnTop.IsOn());
}

TEST(AlwaysOnTopSwitchTest, ARequestThatCouldNotBeMadeIsRepeatedOnTheNextCall) {
    FakeWindowSystem windowSystem;
    AlwaysOnTopSwitch alwaysOnTop(windowSystem);

    windowSystem.SetAvailable(false);
    alwaysOnTop.Set(kWindow, true);
    EXPECT_FALSE(alwaysOnTop.IsOn());

    windowSystem.SetAvailable(true);
    alwaysOnTop.Set(kWindow, true);
    alwaysOnTop.Set(kWindow, true);

    EXPECT_EQ(windowSystem.AlwaysOnTopRequests(),
              (std::vector<Request>{{kWindow, true}, {kWindow, true}}));
    EXPECT_TRUE(alwaysOnTop.IsOn());
}

}  // namespace
}  // namespace melvora
