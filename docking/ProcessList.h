#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "text/Text.h"

namespace melvora {

// One running process, as /proc describes it.
struct ProcessEntry {
    uint32_t parentProcessId = 0;
    uint32_t processId = 0;
    // The executable's file name without a path.
    Text exeName;
    // The main module's full path; filled only when asked for.
    Text modulePath;
};

// Replaces `processes` with every process but process 0, in /proc's order; returns their number.
// A process that vanishes while it is read is left out.
int32_t ListProcesses(std::vector<ProcessEntry>& processes, bool withModulePaths = false);

// The executable name of one process: its comm, unless the kernel's 15-byte cut or a renamed
// main thread (as Windows programs under Wine have) hides it; then the last element of argv[0].
// Empty when the process is gone.
Text ExeNameOf(uint32_t processId);

// The naming rule of ExeNameOf over a comm as /proc shows it (a trailing newline is dropped);
// `argv0Of` is asked for argv[0] (UTF-8) only when the comm alone cannot settle the name.
std::string ExeNameFrom(std::string comm, const std::function<std::string()>& argv0Of);

// The target of /proc/PID/exe; empty when it cannot be read.
Text ModulePathOf(uint32_t processId);

}  // namespace melvora
