#pragma once

#include <memory>

#include "docking/WindowSystem.h"

namespace melvora {

// The window system of an X server reached through xcb, with the EWMH requests and properties of
// a modern window manager. Without a reachable X server every request fails softly and no window
// is seen.
//
// Top-level windows are the window manager's _NET_CLIENT_LIST in its order, or the root's
// children when no EWMH manager runs. A window is visible when it is viewable and not
// _NET_WM_STATE_HIDDEN (minimised); its process is _NET_WM_PID, its class the class part of
// WM_CLASS and its title _NET_WM_NAME, else WM_NAME. The lookups ask for everything at once and
// then collect the replies. What was read is kept and watched through X events, so a lookup in
// which no window changed makes no round trip; the window's rectangle is always read afresh.
class XcbWindowSystem : public WindowSystem {
public:
    // Connects to the display named by DISPLAY.
    XcbWindowSystem();
    ~XcbWindowSystem() override;
    XcbWindowSystem(const XcbWindowSystem&) = delete;
    XcbWindowSystem& operator=(const XcbWindowSystem&) = delete;

    [[nodiscard]] bool IsConnected() const;

    bool SetAlwaysOnTop(NativeWindowId window, bool onTop) override;
    void CollectVisibleWindows(std::vector<WindowEntry>& collected) override;
    bool IsWindowVisible(int32_t handle) override;
    std::optional<TargetRect> OuterRect(int32_t handle) override;
    void StopWatching() override;

private:
    class Connection;
    std::unique_ptr<Connection> m_connection;
};

}  // namespace melvora
