#include "docking/ProcessNameReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "docking/ProcessList.h"
#include "docking/WindowText.h"

namespace melvora {

namespace {

// Reads a /proc file from its start; with `untilNul`, stops once a NUL has arrived (argv[0] is
// all that is wanted of a command line). Empty when the process has ended.
std::optional<std::string> ReadFromStart(int fd, bool untilNul) {
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t count = pread(fd, buffer, sizeof buffer, static_cast<off_t>(content.size()));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        content.append(buffer, static_cast<size_t>(count));
        // A /proc text shorter than the buffer has come whole.
        if (count < static_cast<ssize_t>(sizeof buffer) ||
            (untilNul && content.find('\0') != std::string::npos)) {
            return content;
        }
    }
}

}  // namespace

std::optional<ProcessNameReader::OpenProcess> ProcessNameReader::Open(uint32_t processId) {
    const std::string folder = "/proc/" + std::to_string(processId) + "/";
    OpenProcess process{
        .processId = processId,
        .comm = FileDescriptor(open((folder + "comm").c_str(), O_RDONLY | O_CLOEXEC)),
        .cmdline = FileDescriptor(open((folder + "cmdline").c_str(), O_RDONLY | O_CLOEXEC))};
    if (!process.comm.IsOpen()) {
        return std::nullopt;
    }
    return process;
}

Text ProcessNameReader::ExeNameOf(uint32_t processId) {
    auto open = std::find_if(m_open.begin(), m_open.end(), [&](const OpenProcess& process) {
        return process.processId == processId;
    });
    std::optional<std::string> comm;
    if (open != m_open.end()) {
        comm = ReadFromStart(open->comm.Get(), false);
        if (!comm || comm->empty()) {
            // Ended since the last read; the id may belong to a new process now.
            m_open.erase(open);
            open = m_open.end();
            comm.reset();
        }
    }
    if (open == m_open.end()) {
        std::optional<OpenProcess> fresh = Open(processId);
        if (!fresh) {
            return {};
        }
        comm = ReadFromStart(fresh->comm.Get(), false);
        if (!comm || comm->empty()) {
            return {};
        }
        m_open.push_back(std::move(*fresh));
        open = m_open.end() - 1;
    }
    const int cmdline = open->cmdline.Get();
    return GbkFromUtf8OrAscii(ExeNameFrom(std::move(*comm), [cmdline] {
        const auto content = cmdline >= 0 ? ReadFromStart(cmdline, true) : std::nullopt;
        return content ? content->substr(0, content->find('\0')) : std::string();
    }));
}

void ProcessNameReader::KeepOnly(const std::vector<uint32_t>& processIds) {
    std::erase_if(m_open, [&](const OpenProcess& process) {
        return std::find(processIds.begin(), processIds.end(), process.processId) ==
               processIds.end();
    });
}

}  // namespace melvora
