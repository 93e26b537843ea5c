#pragma once

#include <cstdint>
#include <vector>

#include "docking/ProcessList.h"
#include "docking/WindowEntry.h"
#include "text/Text.h"

namespace melvora {

inline constexpr int32_t kNoWindowSought = 0;
inline constexpr int32_t kNoWindowFound = -1;

// The first window, in list order, that passes every test whose argument is not empty:
//  - processName: some process with this exe name (ASCII letters folded) owns the window;
//  - className: equal byte for byte;
//  - title: the window title with a "'" before and after it contains `title`, so a leading or
//    trailing "'" in the argument ties it to the title's start or end.
// Returns its handle, kNoWindowFound when none passes, kNoWindowSought when all three are empty.
int32_t MatchProcessWindow(const std::vector<ProcessEntry>& processes,
                           const std::vector<WindowEntry>& windows, const Text& processName,
                           const Text& className, const Text& title);

}  // namespace melvora
