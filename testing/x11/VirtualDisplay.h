#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "testing/x11/ChildProcess.h"

namespace melvora::testing {

struct VirtualDisplayOptions {
    int32_t width = 1280;
    int32_t height = 1024;
    // Without it the windows stay unframed and no EWMH property is set on the root.
    bool windowManager = true;
};

// A private X server (Xvfb) on a display number it picks itself, with the openbox window manager
// running on it (unless asked otherwise), for tests that need real windows. Both processes end when
// this object does.
class VirtualDisplay {
public:
    // Null when either process fails to start or to become ready within a few seconds.
    static std::unique_ptr<VirtualDisplay> Start(const VirtualDisplayOptions& options = {});

    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", the value for DISPLAY.
    [[nodiscard]] const std::string& Name() const { return m_name; }
    // The X server's process, for measuring what it spends.
    [[nodiscard]] pid_t ServerPid() const { return m_server->Pid(); }

private:
    VirtualDisplay() = default;

    std::string m_name;
    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;
};

}  // namespace melvora::testing
