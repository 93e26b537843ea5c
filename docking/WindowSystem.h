#pragma once

#include <cstdint>

#include "docking/WindowLookup.h"

namespace melvora {

// A top-level window as the window system names it (an X window id under X11).
using NativeWindowId = uint32_t;

// What the program asks of the window system: about its own window, and (through WindowLookup)
// about the windows of other programs. Kept free of any toolkit, so the window passes its native
// id and the docking code can run against a fake in tests.
class WindowSystem : public WindowLookup {
public:
    // Asks the window manager to keep `window` above all other windows, or to stop doing so.
    // False when the request could not be made (no connection, or the window is not yet on
    // screen, where the window manager would drop it); the caller may then try again later.
    virtual bool SetAlwaysOnTop(NativeWindowId window, bool onTop) = 0;
};

}  // namespace melvora
