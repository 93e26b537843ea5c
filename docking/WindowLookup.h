#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "docking/TargetRect.h"
#include "docking/WindowEntry.h"

namespace melvora {

// The questions the docking asks about other programs' windows. Kept free of any toolkit so the
// docking can run against an in-memory window set in tests.
class WindowLookup {
public:
    virtual ~WindowLookup() = default;

    // Appends one entry for every visible top-level window, in the order the window system keeps
    // them, to `collected`. Nothing is appended when the window system cannot be reached.
    virtual void CollectVisibleWindows(std::vector<WindowEntry>& collected) = 0;

    // Whether `handle` names a top-level window that is on screen now. False for 0 and -1, which
    // the lookup uses for "nothing sought" and "nothing found", and for a window that is gone.
    virtual bool IsWindowVisible(int32_t handle) = 0;

    // The window's outer rectangle (frame included) in screen pixels; empty when the window is
    // gone or its geometry cannot be read.
    virtual std::optional<TargetRect> OuterRect(int32_t handle) = 0;

    // The lookups pause (the docking was switched off): a lookup that keeps watch over the
    // windows between calls lets go of it until it is asked again.
    virtual void StopWatching() {}
};

}  // namespace melvora
