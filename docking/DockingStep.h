#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "docking/AlwaysOnTopSwitch.h"
#include "docking/ProcessNameReader.h"
#include "docking/TargetRect.h"
#include "docking/WindowEntry.h"
#include "docking/WindowLookup.h"
#include "docking/WindowSystem.h"

namespace melvora {

// Where the main window's outer frame goes, in screen pixels.
struct FramePosition {
    int32_t left = 0;
    int32_t top = 0;
    friend bool operator==(const FramePosition&, const FramePosition&) = default;
};

// The program-wide state the docking works on.
struct DockingState {
    TargetRect& targetRect;
    std::vector<WindowEntry>& collectedWindows;
};

// The executable whose window the main window docks to.
inline constexpr const char* kDockingProcessName = "KuGou.exe";
// The main window's left edge lies this far inside the client window's right edge, its top this
// far below the client window's top.
inline constexpr int32_t kDockingInsetFromRight = 8;
inline constexpr int32_t kDockingDropFromTop = 18;

// One tick of the docking timer. With the box unticked it only takes the main window out of the
// topmost band. Ticked, it keeps the window on top and, while the client shows a visible window,
// returns where the main window's frame must go; empty when it is to stay where it is (no
// client window, a minimised one, or one that closed while it was being read). `processNames`
// carries the open /proc files of the windows' owners from one tick to the next.
std::optional<FramePosition> DockingStep(bool dockingChecked, NativeWindowId ownWindow,
                                         WindowLookup& lookup, ProcessNameReader& processNames,
                                         AlwaysOnTopSwitch& alwaysOnTop, DockingState state);

}  // namespace melvora
