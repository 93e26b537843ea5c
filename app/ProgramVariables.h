#pragma once

#include <vector>

#include "docking/TargetRect.h"
#include "docking/WindowEntry.h"
#include "text/Text.h"

namespace melvora {

// The program-wide state, created at start-up and released at shut-down once no search task
// runs any more. The search tasks run one after another, so `lastResponseText` is never shared.
struct ProgramVariables {
    // The last reply of the song-search endpoint, kept by the search task.
    Text lastResponseText;
    // The window the main window docks to, as the docking tick last found it.
    TargetRect targetRect;
    // Filled by the window lookup during one enumeration and emptied right after it.
    std::vector<WindowEntry> collectedWindows;
};

}  // namespace melvora
