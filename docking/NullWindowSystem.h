#pragma once

#include "docking/WindowSystem.h"

namespace melvora {

// The window system of a display the program cannot reach (an off-screen platform): every
// request fails, nothing happens and no window is ever seen.
class NullWindowSystem : public WindowSystem {
public:
    bool SetAlwaysOnTop(NativeWindowId /*window*/, bool /*onTop*/) override { return false; }
    void CollectVisibleWindows(std::vector<WindowEntry>& /*collected*/) override {}
    bool IsWindowVisible(int32_t /*handle*/) override { return false; }
    std::optional<TargetRect> OuterRect(int32_t /*handle*/) override { return std::nullopt; }
};

}  // namespace melvora
