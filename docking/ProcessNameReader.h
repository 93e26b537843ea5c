#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "docking/FileDescriptor.h"
#include "text/Text.h"

namespace melvora {

// Reads the exe names (the rule of ExeNameOf) of the processes that own windows, tick after
// tick. Each process's comm and cmdline files stay open between reads: reading them again from
// offset 0 makes the kernel write them anew, so a rename or an exec shows at once, and a process
// that has ended fails the read, upon which its id is opened afresh (it may name another process
// by now). So every answer is what a fresh look at /proc would give, for a third of the calls.
class ProcessNameReader {
public:
    ProcessNameReader() = default;
    ProcessNameReader(const ProcessNameReader&) = delete;
    ProcessNameReader& operator=(const ProcessNameReader&) = delete;

    // Empty when no such process runs.
    Text ExeNameOf(uint32_t processId);
    // Closes the files of every process not in `processIds`.
    void KeepOnly(const std::vector<uint32_t>& processIds);

    [[nodiscard]] size_t OpenProcessCount() const { return m_open.size(); }

private:
    struct OpenProcess {
        uint32_t processId = 0;
        FileDescriptor comm;
        FileDescriptor cmdline;
    };

    static std::optional<OpenProcess> Open(uint32_t processId);

    std::vector<OpenProcess> m_open;
};

}  // namespace melvora
