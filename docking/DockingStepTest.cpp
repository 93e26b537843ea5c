#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "docking/AlwaysOnTopSwitch.h"
#include "docking/DockingStep.h"
#include "docking/FakeWindowSystem.h"
#include "docking/NamedChildProcess.h"

namespace melvora {
namespace {

using Request = FakeWindowSystem::AlwaysOnTopRequest;
using Window = FakeWindowSystem::Window;
constexpr NativeWindowId kOwnWindow = 0x2600005;

class DockingStepTest : public ::testing::Test {
protected:
    std::optional<FramePosition> Tick(bool dockingChecked) {
        return DockingStep(dockingChecked, kOwnWindow, m_windowSystem, m_processNames,
                           m_alwaysOnTop,
                           {.targetRect = m_targetRect, .collectedWindows = m_collectedWindows});
    }

    Window ClientWindow(uint32_t handle, TargetRect rect) const {
        return {.entry = {.handle = handle, .processId = m_client.Pid(), .className = "KuGou"},
                .outerRect = rect};
    }
    Window OtherWindow(uint32_t handle, TargetRect rect) const {
        return {.entry = {.handle = handle, .processId = m_other.Pid(), .className = "KuGou"},
                .outerRect = rect};
    }

    const NamedChildProcess m_client = NamedChildProcess::WithComm("KuGou.exe");
    const NamedChildProcess m_other = NamedChildProcess::WithComm("QQMusic.exe");
    FakeWindowSystem m_windowSystem;
    ProcessNameReader m_processNames;
    AlwaysOnTopSwitch m_alwaysOnTop{m_windowSystem};
    TargetRect m_targetRect;
    std::vector<WindowEntry> m_collectedWindows;
};

TEST_F(DockingStepTest, AnUntickedBoxOnlyTakesTheWindowOffTheTopAndNeverMovesIt) {
    m_windowSystem.SetWindows({ClientWindow(0x100, {100, 50, 900, 650})});
    m_alwaysOnTop.Set(kOwnWindow, true);

    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(Tick(false), std::nullopt);
    }

    EXPECT_EQ(m_windowSystem.AlwaysOnTopRequests(),
              (std::vector<Request>{{kOwnWindow, true}, {kOwnWindow, false}}));
    EXPECT_FALSE(m_alwaysOnTop.IsOn());
    EXPECT_EQ(m_windowSystem.EnumerationCount(), 0) << "no lookup while the box is unticked";
}

TEST_F(DockingStepTest, WithoutTheClientTheWindowGoesOnTopAndStays) {
    m_windowSystem.SetWindows({OtherWindow(0x100, {100, 50, 900, 650})});

    EXPECT_EQ(Tick(true), std::nullopt);
    EXPECT_EQ(Tick(true), std::nullopt);

    EXPECT_EQ(m_windowSystem.AlwaysOnTopRequests(), (std::vector<Request>{{kOwnWindow, true}}));
    EXPECT_EQ(m_windowSystem.EnumerationCount(), 2);
    EXPECT_EQ(m_targetRect.right, 0) << "nothing was read";
}

TEST_F(DockingStepTest, DocksAgainstTheRightEdgeOfTheClientAndFollowsIt) {
    m_windowSystem.SetWindows(
        {OtherWindow(0x100, {0, 0, 50, 50}), ClientWindow(0x200, {100, 50, 900, 650})});

    EXPECT_EQ(Tick(true), (FramePosition{892, 68}));
    EXPECT_EQ(m_targetRect.left, 100);
    EXPECT_EQ(m_targetRect.bottom, 650);
    EXPECT_TRUE(m_collectedWindows.empty()) << "the collected list is emptied after each lookup";

    m_windowSystem.MoveWindow(0x200, {-300, -20, 240, 400});
    EXPECT_EQ(Tick(true), (FramePosition{232, -2}));
    EXPECT_EQ(m_windowSystem.AlwaysOnTopRequests(), (std::vector<Request>{{kOwnWindow, true}}));
}

TEST_F(DockingStepTest, UntickingTakesTheWindowOffTheTopAndLeavesItWhereItIs) {
    m_windowSystem.SetWindows({ClientWindow(0x200, {100, 50, 900, 650})});
    ASSERT_EQ(Tick(true), (FramePosition{892, 68}));

    m_windowSystem.MoveWindow(0x200, {0, 0, 400, 300});
    EXPECT_EQ(Tick(false), std::nullopt);
    EXPECT_EQ(Tick(false), std::nullopt);

    EXPECT_EQ(m_windowSystem.AlwaysOnTopRequests(),
              (std::vector<Request>{{kOwnWindow, true}, {kOwnWindow, false}}));
}

TEST_F(DockingStepTest, TheFirstVisibleWindowOfTheClientWins) {
    Window minimised = ClientWindow(0x100, {0, 0, 10, 10});
    minimised.visible = false;
    m_windowSystem.SetWindows({minimised, OtherWindow(0x150, {1, 1, 2, 2}),
                               ClientWindow(0x200, {10, 20, 330, 240}),
                               ClientWindow(0x300, {100, 50, 900, 650})});

    EXPECT_EQ(Tick(true), (FramePosition{322, 38}));
}

TEST_F(DockingStepTest, AMinimisedClientIsNotFollowed) {
    m_windowSystem.SetWindows({ClientWindow(0x200, {100, 50, 900, 650})});
    ASSERT_EQ(Tick(true), (FramePosition{892, 68}));

    m_windowSystem.SetVisible(0x200, false);
    m_windowSystem.MoveWindow(0x200, {-32000, -32000, -31840, -31973});
    EXPECT_EQ(Tick(true), std::nullopt);
    EXPECT_EQ(m_targetRect.right, 900) << "the last rectangle read stays";
    EXPECT_TRUE(m_alwaysOnTop.IsOn());

    m_windowSystem.SetVisible(0x200, true);
    EXPECT_EQ(Tick(true), (FramePosition{-31848, -31982}));
}

TEST_F(DockingStepTest, AClientWindowClosingWhileItIsReadEndsTheTickQuietly) {
    Window closing = ClientWindow(0x200, {100, 50, 900, 650});
    closing.closesWhenTested = true;
    m_windowSystem.SetWindows({closing});

    EXPECT_EQ(Tick(true), std::nullopt);
    EXPECT_EQ(m_targetRect.right, 0);
    EXPECT_EQ(Tick(true), std::nullopt);
}

TEST_F(DockingStepTest, AWindowThatNamesNoProcessIsNeverTheClient) {
    m_windowSystem.SetWindows(
        {{.entry = {.handle = 0x100, .processId = 0, .className = "KuGou", .title = "KuGou.exe"},
          .outerRect = {100, 50, 900, 650}}});
    EXPECT_EQ(Tick(true), std::nullopt);
}

}  // namespace
}  // namespace melvora
