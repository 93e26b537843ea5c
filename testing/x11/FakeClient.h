#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "testing/x11/ChildProcess.h"
#include "testing/x11/XWindowProbe.h"

namespace melvora::testing {

// The stand-in for the music client (the program melvora-fake-kugou) running on a test's X
// server: a process named KuGou.exe whose window's outer frame covers a chosen rectangle. Ends
// with this object.
class FakeClient {
public:
    // The window's title (_NET_WM_NAME, UTF-8); its class is "KuGou".
    static constexpr const char* kTitle = "酷狗音乐";

    // Starts `program` on `displayName` and waits until the window manager has framed its window
    // at `frame`; null when that does not happen within a few seconds.
    static std::unique_ptr<FakeClient> Start(const std::string& program,
                                             const std::string& displayName,
                                             ScreenRect frame = {100, 50, 800, 600});

    [[nodiscard]] uint32_t Window() const { return m_window; }
    [[nodiscard]] pid_t Pid() const { return m_process->Pid(); }

    // Moves the frame's top-left corner; the program checks that the manager put it there.
    bool MoveFrame(int32_t left, int32_t top);
    // Asks the window manager to minimise the window, or maps it again.
    bool Minimise();
    bool Restore();

private:
    FakeClient() = default;

    std::unique_ptr<ChildProcess> m_process;
    uint32_t m_window = 0;
};

}  // namespace melvora::testing
