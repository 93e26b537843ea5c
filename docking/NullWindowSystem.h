#pragma once

#include "docking/WindowSystem.h"

namespace melvora {

// The window system of a display the program cannot reach (an off-screen platform): every
// request fails and nothing happens.
class NullWindowSystem : public WindowSystem {
public:
    bool SetAlwaysOnTop(NativeWindowId /*window*/, bool /*onTop*/) override { return false; }
};

}  // namespace melvora
