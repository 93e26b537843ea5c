// Runs the real program beside a stand-in for the music client on a private X server with a
// reparenting window manager, and watches from outside how the program's frame docks to the
// client's frame.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "testing/Eventually.h"
#include "testing/fake_service/FakeMusicService.h"
#include "testing/x11/ChildProcess.h"
#include "testing/x11/FakeClient.h"
#include "testing/x11/VirtualDisplay.h"
#include "testing/x11/XWindowProbe.h"

namespace melvora {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::FakeClient;
using testing::FakeMusicService;
using testing::ScreenRect;
using testing::VirtualDisplay;
using testing::XWindowProbe;

using testing::Eventually;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Point& point) {
        return out << "(" << point.x << ", " << point.y << ")";
    }
};

// Long enough for dozens of docking ticks, to show that something does not happen.
constexpr auto kManyTicks = 500ms;

// Control centres in the main window's client coordinates.
constexpr Point kDockingBox{512 + 40, 17 + 8};
constexpr Point kSearchButton{253 + 36, 9 + 14};
constexpr Point kSearchBox{86 + 80, 13 + 11};

class DockingWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Wide enough that the docked window, right of an 800-pixel client, is wholly on screen.
        m_display = VirtualDisplay::Start({.width = 1920, .height = 1080});
        ASSERT_NE(m_display, nullptr) << "Xvfb with openbox did not start";
        m_probe = XWindowProbe::Connect(m_display->Name());
        ASSERT_NE(m_probe, nullptr);
        ASSERT_TRUE(m_service.Start());
    }

    void TearDown() override {
        m_program.reset();
        m_client.reset();
    }

    void StartClient() {
        m_client = FakeClient::Start(MELVORA_FAKE_KUGOU, m_display->Name());
        ASSERT_NE(m_client, nullptr) << "the stand-in client did not come up at (100, 50)";
    }

    void StartProgram() {
        m_program = ChildProcess::Start({
            .arguments = {MELVORA_PROGRAM},
            .environment = {{"DISPLAY", m_display->Name()},
                            {"MELVORA_SEARCH_HOST", m_service.HostAndPort()},
                            {"MELVORA_PLAY_HOST", m_service.HostAndPort()}},
            .removedVariables = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
            .silent = true,
        });
        ASSERT_NE(m_program, nullptr);
        ASSERT_TRUE(Eventually([&] {
            m_window = m_probe->FindClientByTitle("Melvora").value_or(0);
            return m_window != 0 && m_probe->FrameExtentsOf(m_window).has_value();
        })) << "no managed window titled Melvora appeared";
    }

    std::optional<Point> FramePosition() {
        const auto frame = m_probe->FrameRect(m_window);
        if (!frame) {
            return std::nullopt;
        }
        return Point{frame->x, frame->y};
    }

    bool FrameReaches(Point wanted) {
        return Eventually([&] { return FramePosition() == wanted; });
    }

    bool IsOnTop() { return m_probe->HasWmState(m_window, "_NET_WM_STATE_ABOVE"); }

    // Where the main window's frame goes when docked to a client frame at `frame`.
    static Point DockedBeside(const ScreenRect& frame) {
        return {frame.x + frame.width - 8, frame.y + 18};
    }

    void RunTool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        auto tool = ChildProcess::Start({.arguments = std::move(arguments),
                                         .environment = {{"DISPLAY", m_display->Name()}},
                                         .silent = true});
        ASSERT_NE(tool, nullptr);
        EXPECT_EQ(tool->WaitForExit(10s), 0);
    }

    void ClickControl(Point control) {
        const auto client = m_probe->ClientRect(m_window);
        ASSERT_TRUE(client.has_value());
        RunTool({"mousemove", std::to_string(client->x + control.x),
                 std::to_string(client->y + control.y), "click", "1"});
    }

    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<XWindowProbe> m_probe;
    FakeMusicService m_service;
    std::unique_ptr<FakeClient> m_client;
    std::unique_ptr<ChildProcess> m_program;
    uint32_t m_window = 0;
};

TEST_F(DockingWindowTest, DocksAgainstTheClientsRightEdgeAndFollowsIt) {
    StartClient();
    StartProgram();

    EXPECT_TRUE(FrameReaches({892, 68})) << "now at " << FramePosition().value_or(Point{});
    EXPECT_TRUE(Eventually([&] { return IsOnTop(); }));

    ASSERT_TRUE(m_client->MoveFrame(300, 200));
    EXPECT_TRUE(FrameReaches({1092, 218})) << "now at " << FramePosition().value_or(Point{});
}

TEST_F(DockingWindowTest, WithoutTheClientTheWindowStaysWhereItIsAndOnTop) {
    StartProgram();
    EXPECT_TRUE(Eventually([&] { return IsOnTop(); }));
    std::this_thread::sleep_for(kManyTicks);
    EXPECT_EQ(FramePosition(), (Point{50, 50}));
}

TEST_F(DockingWindowTest, UntickingTheBoxLeavesTheTopAndThePlaceTickingItDocksAgain) {
    StartClient();
    StartProgram();
    ASSERT_TRUE(FrameReaches({892, 68}));
    ASSERT_TRUE(Eventually([&] { return IsOnTop(); }));

    ClickControl(kDockingBox);
    EXPECT_TRUE(Eventually([&] { return !IsOnTop(); }));
    ASSERT_TRUE(m_client->MoveFrame(200, 100));
    std::this_thread::sleep_for(kManyTicks);
    EXPECT_EQ(FramePosition(), (Point{892, 68}));

    ClickControl(kDockingBox);
    EXPECT_TRUE(FrameReaches({992, 118})) << "now at " << FramePosition().value_or(Point{});
    EXPECT_TRUE(Eventually([&] { return IsOnTop(); }));
}

TEST_F(DockingWindowTest, AMinimisedClientIsNotFollowed) {
    StartClient();
    StartProgram();
    ASSERT_TRUE(FrameReaches({892, 68}));

    ASSERT_TRUE(m_client->Minimise());
    ASSERT_TRUE(Eventually(
        [&] { return m_probe->HasWmState(m_client->Window(), "_NET_WM_STATE_HIDDEN"); }));
    ASSERT_TRUE(m_client->MoveFrame(300, 200));
    std::this_thread::sleep_for(kManyTicks);
    EXPECT_EQ(FramePosition(), (Point{892, 68}));

    ASSERT_TRUE(m_client->Restore());
    std::optional<ScreenRect> clientFrame;
    EXPECT_TRUE(Eventually([&] {
        clientFrame = m_probe->FrameRect(m_client->Window());
        return !m_probe->HasWmState(m_client->Window(), "_NET_WM_STATE_HIDDEN") && clientFrame &&
               FramePosition() == DockedBeside(*clientFrame);
    })) << "restored, the client is followed again";
    EXPECT_EQ(FramePosition(), (Point{1092, 218})) << "the client moved while minimised";
}

TEST_F(DockingWindowTest, AnEmptySearchStopsTheDockingUntilTheNextSearch) {
    StartClient();
    StartProgram();
    ASSERT_TRUE(FrameReaches({892, 68}));
    ASSERT_TRUE(Eventually([&] { return IsOnTop(); }));

    ClickControl(kSearchButton);
    ASSERT_TRUE(Eventually([&] { return m_probe->FindClientByTitle("提示").has_value(); }))
        << "the empty-box message did not appear";
    EXPECT_TRUE(Eventually([&] { return !IsOnTop(); }));
    RunTool({"key", "Return"});
    ASSERT_TRUE(Eventually([&] { return !m_probe->FindClientByTitle("提示").has_value(); }));

    ASSERT_TRUE(m_client->MoveFrame(300, 200));
    std::this_thread::sleep_for(kManyTicks);
    EXPECT_EQ(FramePosition(), (Point{892, 68}));
    EXPECT_FALSE(IsOnTop());

    ClickControl(kSearchBox);
    RunTool({"type", "--delay", "20", "abc"});
    ClickControl(kSearchButton);
    EXPECT_TRUE(FrameReaches({1092, 218})) << "now at " << FramePosition().value_or(Point{});
    EXPECT_TRUE(Eventually([&] { return IsOnTop(); }));
    EXPECT_TRUE(m_service.WaitForRequests(1, 10s)) << "the search went out";
}

}  // namespace
}  // namespace melvora
