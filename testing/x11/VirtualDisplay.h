#pragma once

#include <memory>
#include <string>

#include "testing/x11/ChildProcess.h"

namespace melvora::testing {

// A private X server (Xvfb) on a display number it picks itself, with the openbox window manager
// running on it, for tests that need real windows. Both processes end when this object does.
class VirtualDisplay {
public:
    // Null when either process fails to start or to become ready within a few seconds.
    static std::unique_ptr<VirtualDisplay> Start();

    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", the value for DISPLAY.
    [[nodiscard]] const std::string& Name() const { return m_name; }

private:
    VirtualDisplay() = default;

    std::string m_name;
    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;
};

}  // namespace melvora::testing
