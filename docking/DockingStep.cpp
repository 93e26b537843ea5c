#include "docking/DockingStep.h"

#include "docking/ProcessWindowLookup.h"

namespace melvora {

std::optional<FramePosition> DockingStep(bool dockingChecked, NativeWindowId ownWindow,
                                         WindowLookup& lookup, ProcessNameReader& processNames,
                                         AlwaysOnTopSwitch& alwaysOnTop, DockingState state) {
    if (!dockingChecked) {
        alwaysOnTop.Set(ownWindow, false);
        lookup.StopWatching();
        return std::nullopt;
    }
    alwaysOnTop.Set(ownWindow, true);

    const int32_t client =
        FindProcessWindow(lookup, state.collectedWindows, processNames, Text(kDockingProcessName));
    if (!lookup.IsWindowVisible(client)) {
        return std::nullopt;
    }
    const std::optional<TargetRect> outer = lookup.OuterRect(client);
    if (!outer) {
        return std::nullopt;
    }
    state.targetRect = *outer;
    return FramePosition{.left = state.targetRect.right - kDockingInsetFromRight,
                         .top = state.targetRect.top + kDockingDropFromTop};
}

}  // namespace melvora
