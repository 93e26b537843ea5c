#pragma once

#include <cstdint>
#include <vector>

#include "docking/ProcessList.h"
#include "docking/ProcessNameReader.h"
#include "docking/WindowEntry.h"
#include "docking/WindowLookup.h"
#include "text/Text.h"

namespace melvora {

// Replaces `windows` with the visible top-level windows. `collectedWindows` is the program-wide
// list the enumeration appends to; it is empty again when this returns. Returns the number of
// windows.
int32_t ListWindows(WindowLookup& lookup, std::vector<WindowEntry>& collectedWindows,
                    std::vector<WindowEntry>& windows);

// The processes that own the given windows, each once, in the order the windows name them, with
// their exe names. A window can only be matched by its own process, so these answer a match by
// process name exactly as a list of every process would, at the cost of a few reads of /proc.
// Windows that give no process (id 0) and processes gone meanwhile are left out. Parent ids and
// module paths are not read: the matching needs neither. `names` keeps the files of exactly these
// processes open for the next call.
std::vector<ProcessEntry> ProcessesOwning(const std::vector<WindowEntry>& windows,
                                          ProcessNameReader& names);

// The handle of the first visible top-level window that passes every test whose argument is not
// empty (see MatchProcessWindow): 0 when all three are empty, without enumerating anything; -1
// when no window qualifies.
int32_t FindProcessWindow(WindowLookup& lookup, std::vector<WindowEntry>& collectedWindows,
                          ProcessNameReader& names, const Text& processName,
                          const Text& className = {}, const Text& title = {});

}  // namespace melvora
