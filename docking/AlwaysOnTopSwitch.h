#pragma once

#include "docking/WindowSystem.h"

namespace melvora {

// The always-on-top state of one window. The docking tick sets it many times a second, so only a
// real change of state reaches the window manager; a request the window system could not make is
// not remembered, which lets the next call try again.
class AlwaysOnTopSwitch {
public:
    explicit AlwaysOnTopSwitch(WindowSystem& windowSystem) : m_windowSystem(windowSystem) {}

    // A window starts outside the topmost band, so switching it off first sends nothing.
    void Set(NativeWindowId window, bool onTop);
    [[nodiscard]] bool IsOn() const { return m_onTop; }

private:
    WindowSystem& m_windowSystem;
    bool m_onTop = false;
};

}  // namespace melvora
