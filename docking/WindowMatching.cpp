#include "docking/WindowMatching.h"

#include <algorithm>

#include "text/TextSearch.h"

namespace melvora {

namespace {

bool EqualFoldingAscii(const Text& left, const Text& right) {
    return left.size() == right.size() &&
           std::equal(left.str().begin(), left.str().end(), right.str().begin(),
                      [](char a, char b) { return FoldAsciiCase(a) == FoldAsciiCase(b); });
}

bool OwnedByProcessNamed(const WindowEntry& window, const std::vector<ProcessEntry>& processes,
                         const Text& processName) {
    return std::any_of(processes.begin(), processes.end(), [&](const ProcessEntry& process) {
        return EqualFoldingAscii(process.exeName, processName) &&
               process.processId == window.processId;
    });
}

bool TitleMatches(const WindowEntry& window, const Text& title) {
    return ContainsText(Text("'") + window.title + Text("'"), title.view());
}

}  // namespace

int32_t MatchProcessWindow(const std::vector<ProcessEntry>& processes,
                           const std::vector<WindowEntry>& windows, const Text& processName,
                           const Text& className, const Text& title) {
    if (processName.empty() && className.empty() && title.empty()) {
        return kNoWindowSought;
    }
    for (const WindowEntry& window : windows) {
        if (!processName.empty() && !OwnedByProcessNamed(window, processes, processName)) {
            continue;
        }
        if (!className.empty() && window.className != className) {
            continue;
        }
        if (!title.empty() && !TitleMatches(window, title)) {
            continue;
        }
        return static_cast<int32_t>(window.handle);
    }
    return kNoWindowFound;
}

}  // namespace melvora
