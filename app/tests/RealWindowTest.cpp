// Starts the real program on a private X server with a reparenting window manager and looks at
// it from outside, as a user's desktop would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "testing/Eventually.h"
#include "testing/x11/ChildProcess.h"
#include "testing/x11/VirtualDisplay.h"
#include "testing/x11/XWindowProbe.h"

namespace melvora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ScreenRect;
using testing::VirtualDisplay;
using testing::XWindowProbe;

using testing::Eventually;

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_display = VirtualDisplay::Start();
        ASSERT_NE(m_display, nullptr) << "Xvfb with openbox did not start";
        m_probe = XWindowProbe::Connect(m_display->Name());
        ASSERT_NE(m_probe, nullptr);

        m_startFolder = fs::temp_directory_path() / ("melvora-start-" + std::to_string(getpid()));
        fs::remove_all(m_startFolder);
        fs::create_directories(m_startFolder);
        // The music folder of an earlier run; removed only when empty, never with content.
        std::error_code ignored;
        fs::remove(MusicFolder(), ignored);
    }

    void TearDown() override {
        m_program.reset();
        std::error_code ignored;
        fs::remove_all(m_startFolder, ignored);
    }

    static fs::path MusicFolder() { return fs::path(MELVORA_PROGRAM).parent_path() / "MP3"; }

    // Starts the program from another folder, as a shortcut would, with the platform left to
    // the program's own choice.
    void StartProgram() {
        m_program = ChildProcess::Start({
            .arguments = {MELVORA_PROGRAM},
            .environment = {{"DISPLAY", m_display->Name()}},
            .removedVariables = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
            .workingDirectory = m_startFolder.string(),
        });
        ASSERT_NE(m_program, nullptr);
    }

    uint32_t WaitForMainWindow() {
        std::optional<uint32_t> window;
        EXPECT_TRUE(Eventually([&] {
            window = m_probe->FindClientByTitle("Melvora");
            return window.has_value();
        })) << "no managed window titled Melvora appeared";
        return window.value_or(0);
    }

    void SaveScreenshot(const ScreenRect& area, const fs::path& file) {
        fs::create_directories(file.parent_path());
        const std::string crop = std::to_string(area.width) + "x" + std::to_string(area.height) +
                                 "+" + std::to_string(area.x) + "+" + std::to_string(area.y);
        auto import = ChildProcess::Start({
            .arguments = {"import", "-window", "root", "-crop", crop, file.string()},
            .environment = {{"DISPLAY", m_display->Name()}},
            .silent = true,
        });
        ASSERT_NE(import, nullptr);
        EXPECT_EQ(import->WaitForExit(30s), 0);
    }

    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<XWindowProbe> m_probe;
    std::unique_ptr<ChildProcess> m_program;
    fs::path m_startFolder;
};

TEST_F(RealWindowTest, TheWindowOpensAtItsPlaceMakesTheMusicFolderAndClosesCleanly) {
    StartProgram();
    const uint32_t window = WaitForMainWindow();
    ASSERT_NE(window, 0U);

    // The window manager frames the window asynchronously; wait until it reports the frame and
    // the frame has reached its place.
    std::optional<ScreenRect> frame;
    std::optional<testing::FrameExtents> extents;
    Eventually([&] {
        frame = m_probe->FrameRect(window);
        extents = m_probe->FrameExtentsOf(window);
        return frame && extents && frame->x == 50 && frame->y == 50;
    });
    ASSERT_TRUE(frame.has_value());
    ASSERT_TRUE(extents.has_value());
    const std::optional<ScreenRect> client = m_probe->ClientRect(window);
    ASSERT_TRUE(client.has_value());

    EXPECT_EQ(frame->x, 50);
    EXPECT_EQ(frame->y, 50);
    EXPECT_EQ(client->width, 633);
    EXPECT_EQ(client->height, 305);
    // The client sits inside the frame exactly where the frame extents say.
    EXPECT_EQ(client->x, frame->x + extents->left);
    EXPECT_EQ(client->y, frame->y + extents->top);
    EXPECT_EQ(frame->width, client->width + extents->left + extents->right);
    EXPECT_EQ(frame->height, client->height + extents->top + extents->bottom);

    EXPECT_TRUE(fs::is_directory(MusicFolder()));
    EXPECT_TRUE(fs::is_empty(m_startFolder)) << "nothing may be made where the program started";

    // Let the window paint before the picture is taken.
    std::this_thread::sleep_for(500ms);
    SaveScreenshot({frame->x - 10, frame->y - 10, frame->width + 20, frame->height + 20},
                   fs::path(MELVORA_ARTIFACTS_DIR) / "main-window.png");

    ASSERT_TRUE(m_probe->RequestClose(window));
    EXPECT_EQ(m_program->WaitForExit(10s), 0);
    EXPECT_FALSE(m_program->WasSignalled());
}

}  // namespace
}  // namespace melvora
