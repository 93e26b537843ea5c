#pragma once

#include <memory>

#include "docking/WindowSystem.h"

namespace melvora {

// The window system of an X server reached through xcb, with the EWMH requests of a modern
// window manager. Without a reachable X server every request fails softly and does nothing.
class XcbWindowSystem : public WindowSystem {
public:
    // Connects to the display named by DISPLAY.
    XcbWindowSystem();
    ~XcbWindowSystem() override;
    XcbWindowSystem(const XcbWindowSystem&) = delete;
    XcbWindowSystem& operator=(const XcbWindowSystem&) = delete;

    [[nodiscard]] bool IsConnected() const;

    bool SetAlwaysOnTop(NativeWindowId window, bool onTop) override;

private:
    class Connection;
    std::unique_ptr<Connection> m_connection;
};

}  // namespace melvora
