#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <functional>
#include <thread>

#include "docking/XcbWindowSystem.h"
#include "testing/x11/VirtualDisplay.h"
#include "testing/x11/XWindowProbe.h"

namespace melvora {
namespace {

using testing::VirtualDisplay;
using testing::XWindowProbe;

// Polls until `condition` holds, for at most a few seconds; the window manager answers
// asynchronously.
bool Eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class XcbWindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_display = VirtualDisplay::Start();
        ASSERT_NE(m_display, nullptr) << "Xvfb with openbox did not start";
        m_probe = XWindowProbe::Connect(m_display->Name());
        ASSERT_NE(m_probe, nullptr);
        // XcbWindowSystem connects where DISPLAY points, as the program does.
        setenv("DISPLAY", m_display->Name().c_str(), 1);
    }

    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<XWindowProbe> m_probe;
};

TEST_F(XcbWindowSystemTest, PutsAManagedWindowIntoTheTopmostBandAndTakesItOut) {
    const uint32_t window = m_probe->CreateMappedWindow("topmost", {100, 100, 200, 150});
    ASSERT_NE(window, 0U);
    ASSERT_TRUE(Eventually([&] { return m_probe->FindClientByTitle("topmost").has_value(); }));

    XcbWindowSystem windowSystem;
    ASSERT_TRUE(windowSystem.IsConnected());

    ASSERT_TRUE(Eventually([&] { return windowSystem.SetAlwaysOnTop(window, true); }));
    EXPECT_TRUE(Eventually([&] { return m_probe->HasWmState(window, "_NET_WM_STATE_ABOVE"); }));

    EXPECT_TRUE(windowSystem.SetAlwaysOnTop(window, false));
    EXPECT_TRUE(Eventually([&] { return !m_probe->HasWmState(window, "_NET_WM_STATE_ABOVE"); }));
}

TEST_F(XcbWindowSystemTest, RefusesAWindowThatIsNotOnScreen) {
    XcbWindowSystem windowSystem;
    ASSERT_TRUE(windowSystem.IsConnected());
    // No such window exists on a fresh server.
    EXPECT_FALSE(windowSystem.SetAlwaysOnTop(0x3fffff, true));
}

TEST(XcbWindowSystemWithoutServerTest, FailsSoftlyWhenNoDisplayCanBeReached) {
    setenv("DISPLAY", ":65000", 1);
    XcbWindowSystem windowSystem;
    EXPECT_FALSE(windowSystem.IsConnected());
    EXPECT_FALSE(windowSystem.SetAlwaysOnTop(0x1400007, true));
}

}  // namespace
}  // namespace melvora
