#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "docking/NamedChildProcess.h"
#include "docking/ProcessWindowLookup.h"
#include "docking/XcbWindowSystem.h"
#include "testing/Eventually.h"
#include "testing/x11/FakeClient.h"
#include "testing/x11/VirtualDisplay.h"
#include "testing/x11/XWindowProbe.h"
#include "text/CodePage.h"

namespace melvora {
namespace {

using namespace literals;
using testing::FakeClient;
using testing::ScreenRect;
using testing::VirtualDisplay;
using testing::XWindowProbe;

using testing::Eventually;

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

std::vector<WindowEntry> VisibleWindows(WindowLookup& lookup) {
    std::vector<WindowEntry> collected;
    std::vector<WindowEntry> windows;
    ListWindows(lookup, collected, windows);
    return windows;
}

const WindowEntry* FindEntry(const std::vector<WindowEntry>& windows, uint32_t handle) {
    const auto found = std::find_if(windows.begin(), windows.end(), [&](const WindowEntry& entry) {
        return entry.handle == handle;
    });
    return found == windows.end() ? nullptr : &*found;
}

TargetRect ToTargetRect(const ScreenRect& rect) {
    return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

TEST_F(XcbWindowSystemTest, ListsVisibleClientsInTheManagersOrderWithProcessClassAndTitle) {
    const auto child = NamedChildProcess::WithComm("KuGou.exe");
    std::string longTitle;
    for (int i = 0; i < 200; ++i) {
        longTitle += "狗";
    }
    const uint32_t first = m_probe->CreateMappedWindow("first", {10, 10, 100, 80});
    const uint32_t hidden = m_probe->CreateMappedWindow("hidden", {20, 20, 100, 80});
    const uint32_t unnamed = m_probe->CreateMappedWindow("plain", {30, 30, 100, 80});
    const uint32_t last = m_probe->CreateMappedWindow("last", {40, 40, 100, 80});
    ASSERT_TRUE(m_probe->DescribeWindow(first, child.Pid(), "KuGou", "酷狗音乐"));
    ASSERT_TRUE(m_probe->DescribeWindow(hidden, child.Pid(), "KuGou", "hidden"));
    ASSERT_TRUE(m_probe->DescribeWindow(last, 4242, "LongOne", longTitle));
    ASSERT_TRUE(Eventually([&] {
        return m_probe->FindClientByTitle("last").has_value() ||
               m_probe->FindClientByTitle(longTitle).has_value();
    }));
    ASSERT_TRUE(m_probe->RequestIconify(hidden));
    ASSERT_TRUE(Eventually([&] { return m_probe->HasWmState(hidden, "_NET_WM_STATE_HIDDEN"); }));

    XcbWindowSystem windowSystem;
    ASSERT_TRUE(windowSystem.IsConnected());
    std::vector<WindowEntry> windows;
    ASSERT_TRUE(Eventually([&] {
        windows = VisibleWindows(windowSystem);
        return FindEntry(windows, last) != nullptr;
    }));

    EXPECT_EQ(FindEntry(windows, hidden), nullptr) << "a minimised window is not visible";
    EXPECT_FALSE(windowSystem.IsWindowVisible(static_cast<int32_t>(hidden)));
    std::vector<uint32_t> order;
    for (const WindowEntry& entry : windows) {
        order.push_back(entry.handle);
    }
    EXPECT_EQ(order, (std::vector<uint32_t>{first, unnamed, last}));

    const WindowEntry* kugou = FindEntry(windows, first);
    ASSERT_NE(kugou, nullptr);
    EXPECT_EQ(kugou->processId, child.Pid());
    EXPECT_EQ(kugou->threadId, 0U);
    EXPECT_EQ(kugou->className, Text("KuGou"));
    EXPECT_EQ(kugou->title, "酷狗音乐"_gbk);

    const WindowEntry* plain = FindEntry(windows, unnamed);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->processId, 0U) << "no _NET_WM_PID";
    EXPECT_EQ(plain->title, Text("plain")) << "WM_NAME stands in for _NET_WM_NAME";
    EXPECT_TRUE(plain->className.empty());

    const WindowEntry* longOne = FindEntry(windows, last);
    ASSERT_NE(longOne, nullptr);
    EXPECT_EQ(longOne->title.size(), kWindowTextLimit);
    EXPECT_EQ(longOne->processId, 4242U);

    std::vector<WindowEntry> collected;
    ProcessNameReader names;
    EXPECT_EQ(FindProcessWindow(windowSystem, collected, names, "kugou.exe"),
              static_cast<int32_t>(first));
    EXPECT_EQ(FindProcessWindow(windowSystem, collected, names, "", "LongOne"),
              static_cast<int32_t>(last));
    EXPECT_EQ(FindProcessWindow(windowSystem, collected, names, "QQMusic.exe"), -1);
}

TEST_F(XcbWindowSystemTest, TheOuterRectangleIsTheFrameTheManagerDrew) {
    const uint32_t window = m_probe->CreateMappedWindow("framed", {200, 150, 320, 240});
    ASSERT_TRUE(Eventually([&] { return m_probe->FrameExtentsOf(window).has_value(); }));
    XcbWindowSystem windowSystem;
    std::optional<ScreenRect> frame;
    ASSERT_TRUE(Eventually([&] {
        frame = m_probe->FrameRect(window);
        return frame && windowSystem.OuterRect(static_cast<int32_t>(window)) ==
                            std::optional(ToTargetRect(*frame));
    })) << "frame and outer rectangle disagree";
    EXPECT_GT(frame->width, 320) << "the frame adds to the client";
    EXPECT_TRUE(windowSystem.IsWindowVisible(static_cast<int32_t>(window)));
}

TEST_F(XcbWindowSystemTest, AGoneWindowIsNeitherVisibleNorMeasurable) {
    const uint32_t window = m_probe->CreateMappedWindow("short-lived", {10, 10, 50, 50});
    ASSERT_TRUE(Eventually([&] { return m_probe->IsManaged(window); }));
    m_probe->DestroyWindow(window);
    ASSERT_TRUE(Eventually([&] { return !m_probe->IsManaged(window); }));

    XcbWindowSystem windowSystem;
    for (int round = 0; round < 3; ++round) {
        EXPECT_FALSE(windowSystem.IsWindowVisible(static_cast<int32_t>(window)));
        EXPECT_EQ(windowSystem.OuterRect(static_cast<int32_t>(window)), std::nullopt);
    }
    EXPECT_FALSE(windowSystem.IsWindowVisible(0));
    EXPECT_FALSE(windowSystem.IsWindowVisible(-1));
    EXPECT_EQ(windowSystem.OuterRect(-1), std::nullopt);
    // The connection is still good after the errors.
    EXPECT_TRUE(windowSystem.IsConnected());
    EXPECT_TRUE(VisibleWindows(windowSystem).empty());
}

TEST_F(XcbWindowSystemTest, FindsTheStandInClientAndItsFrame) {
    const auto client = FakeClient::Start(MELVORA_FAKE_KUGOU, m_display->Name());
    ASSERT_NE(client, nullptr);
    XcbWindowSystem windowSystem;
    std::vector<WindowEntry> collected;
    ProcessNameReader names;

    const int32_t found = FindProcessWindow(windowSystem, collected, names, "KuGou.exe");
    EXPECT_EQ(found, static_cast<int32_t>(client->Window()));
    EXPECT_TRUE(windowSystem.IsWindowVisible(found));
    EXPECT_EQ(windowSystem.OuterRect(found), std::optional(TargetRect{100, 50, 900, 650}));

    ASSERT_TRUE(client->Minimise());
    EXPECT_TRUE(Eventually([&] {
        return FindProcessWindow(windowSystem, collected, names, "KuGou.exe") == -1;
    })) << "a minimised client has no visible window";
    EXPECT_FALSE(windowSystem.IsWindowVisible(found));
}

std::vector<uint32_t> Handles(const std::vector<WindowEntry>& windows) {
    std::vector<uint32_t> handles;
    for (const WindowEntry& entry : windows) {
        handles.push_back(entry.handle);
    }
    return handles;
}

// The window system keeps what it read between lookups; every change must still reach the next
// lookups, or the cache would hold a stale answer for good.
TEST_F(XcbWindowSystemTest, LookupsKeepUpWithEveryChangeOfTheWatchedWindows) {
    const uint32_t first = m_probe->CreateMappedWindow("first", {10, 10, 100, 80});
    const uint32_t second = m_probe->CreateMappedWindow("second", {20, 20, 100, 80});
    ASSERT_TRUE(
        Eventually([&] { return m_probe->IsManaged(first) && m_probe->IsManaged(second); }));
    XcbWindowSystem windowSystem;
    std::vector<WindowEntry> windows;
    ASSERT_TRUE(Eventually([&] {
        windows = VisibleWindows(windowSystem);
        return Handles(windows) == std::vector<uint32_t>{first, second};
    }));

    ASSERT_TRUE(m_probe->DescribeWindow(first, 4242, "Renamed", "改名"));
    EXPECT_TRUE(Eventually([&] {
        windows = VisibleWindows(windowSystem);
        const WindowEntry* entry = FindEntry(windows, first);
        return entry != nullptr && entry->title == "改名"_gbk && entry->processId == 4242 &&
               entry->className == Text("Renamed");
    })) << "title, process and class changes are seen";

    ASSERT_TRUE(m_probe->RequestIconify(second));
    EXPECT_TRUE(Eventually([&] {
        return FindEntry(VisibleWindows(windowSystem), second) == nullptr;
    })) << "a minimised window drops out";
    EXPECT_FALSE(windowSystem.IsWindowVisible(static_cast<int32_t>(second)));

    const uint32_t third = m_probe->CreateMappedWindow("third", {30, 30, 100, 80});
    EXPECT_TRUE(Eventually([&] {
        return Handles(VisibleWindows(windowSystem)) == std::vector<uint32_t>{first, third};
    })) << "a new window comes in at the end of the list";
    EXPECT_TRUE(windowSystem.IsWindowVisible(static_cast<int32_t>(third)));

    m_probe->DestroyWindow(first);
    EXPECT_TRUE(Eventually([&] {
        return Handles(VisibleWindows(windowSystem)) == std::vector<uint32_t>{third};
    })) << "a destroyed window goes";

    windowSystem.StopWatching();
    EXPECT_EQ(Handles(VisibleWindows(windowSystem)), std::vector<uint32_t>{third})
        << "after a pause the windows are read afresh";
}

TEST(XcbWindowSystemWithoutManagerTest, ListsTheRootsMappedChildren) {
    const auto display = VirtualDisplay::Start({.windowManager = false});
    ASSERT_NE(display, nullptr);
    const auto probe = XWindowProbe::Connect(display->Name());
    ASSERT_NE(probe, nullptr);
    setenv("DISPLAY", display->Name().c_str(), 1);
    const uint32_t shown = probe->CreateMappedWindow("shown", {30, 40, 200, 100});
    const uint32_t other = probe->CreateMappedWindow("other", {300, 40, 200, 100});
    ASSERT_TRUE(probe->DescribeWindow(other, 77, "Other", "其他"));

    XcbWindowSystem windowSystem;
    ASSERT_TRUE(windowSystem.IsConnected());
    std::vector<WindowEntry> windows;
    ASSERT_TRUE(Eventually([&] {
        windows = VisibleWindows(windowSystem);
        return windows.size() == 2;
    }));
    EXPECT_EQ(windows[0].handle, shown);
    EXPECT_EQ(windows[0].title, Text("shown"));
    EXPECT_EQ(windows[1].handle, other);
    EXPECT_EQ(windows[1].processId, 77U);
    EXPECT_EQ(windows[1].title, "其他"_gbk);
    EXPECT_EQ(windowSystem.OuterRect(static_cast<int32_t>(shown)),
              std::optional(TargetRect{30, 40, 230, 140}));

    probe->RaiseWindow(shown);
    EXPECT_TRUE(Eventually([&] {
        return Handles(VisibleWindows(windowSystem)) == std::vector<uint32_t>{other, shown};
    })) << "the root's children come in stacking order, and a raise changes it";

    probe->DestroyWindow(shown);
    EXPECT_TRUE(Eventually(
        [&] { return Handles(VisibleWindows(windowSystem)) == std::vector<uint32_t>{other}; }));
}

TEST(XcbWindowSystemWithoutServerTest, FailsSoftlyWhenNoDisplayCanBeReached) {
    setenv("DISPLAY", ":65000", 1);
    XcbWindowSystem windowSystem;
    EXPECT_FALSE(windowSystem.IsConnected());
    EXPECT_FALSE(windowSystem.SetAlwaysOnTop(0x1400007, true));
    std::vector<WindowEntry> collected;
    ProcessNameReader names;
    EXPECT_EQ(FindProcessWindow(windowSystem, collected, names, "KuGou.exe"), -1);
    EXPECT_FALSE(windowSystem.IsWindowVisible(0x1400007));
    EXPECT_EQ(windowSystem.OuterRect(0x1400007), std::nullopt);
}

}  // namespace
}  // namespace melvora
