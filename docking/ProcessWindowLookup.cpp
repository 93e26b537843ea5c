#include "docking/ProcessWindowLookup.h"

#include <algorithm>
#include <utility>

#include "docking/WindowMatching.h"

namespace melvora {

int32_t ListWindows(WindowLookup& lookup, std::vector<WindowEntry>& collectedWindows,
                    std::vector<WindowEntry>& windows) {
    lookup.CollectVisibleWindows(collectedWindows);
    windows.assign(collectedWindows.begin(), collectedWindows.end());
    collectedWindows.clear();
    return static_cast<int32_t>(windows.size());
}

std::vector<ProcessEntry> ProcessesOwning(const std::vector<WindowEntry>& windows,
                                          ProcessNameReader& names) {
    std::vector<uint32_t> seen;
    std::vector<ProcessEntry> processes;
    for (const WindowEntry& window : windows) {
        const uint32_t processId = window.processId;
        if (processId == 0 || std::find(seen.begin(), seen.end(), processId) != seen.end()) {
            continue;
        }
        seen.push_back(processId);
        Text exeName = names.ExeNameOf(processId);
        if (!exeName.empty()) {
            processes.push_back({.processId = processId, .exeName = std::move(exeName)});
        }
    }
    names.KeepOnly(seen);
    return processes;
}

int32_t FindProcessWindow(WindowLookup& lookup, std::vector<WindowEntry>& collectedWindows,
                          ProcessNameReader& names, const Text& processName, const Text& className,
                          const Text& title) {
    if (processName.empty() && className.empty() && title.empty()) {
        return kNoWindowSought;
    }
    std::vector<WindowEntry> windows;
    ListWindows(lookup, collectedWindows, windows);
    // Without a process name the processes play no part in the match.
    const std::vector<ProcessEntry> processes =
        processName.empty() ? std::vector<ProcessEntry>() : ProcessesOwning(windows, names);
    return MatchProcessWindow(processes, windows, processName, className, title);
}

}  // namespace melvora
