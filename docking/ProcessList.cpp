#include "docking/ProcessList.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

#include "docking/WindowText.h"
#include "text/CodePage.h"
#include "text/TextSearch.h"

namespace melvora {

namespace {

// The kernel keeps at most TASK_COMM_LEN - 1 bytes of a command name.
constexpr size_t kCommLength = 15;

// A plain read: the docking tick reads a few of these files a hundred times a second, where a
// stream's set-up would cost more than the read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    bool failed = false;
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0) {
            failed = errno != EINTR;
            if (failed) {
                break;
            }
            continue;
        }
        if (count == 0) {
            break;
        }
        content.append(buffer, static_cast<size_t>(count));
    }
    close(fd);
    if (failed) {
        return std::nullopt;
    }
    return content;
}

std::string ProcPath(uint32_t processId, const char* leaf) {
    return "/proc/" + std::to_string(processId) + "/" + leaf;
}

bool EndsWithExe(std::string_view name) {
    constexpr std::string_view suffix = ".exe";
    if (name.size() < suffix.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (FoldAsciiCase(tail[i]) != suffix[i]) {
            return false;
        }
    }
    return true;
}

// Parent id from /proc/PID/stat: "pid (comm) state ppid ..."; comm may hold blanks and
// parentheses, so read from the last ')'.
std::optional<uint32_t> ParentProcessIdOf(uint32_t processId) {
    const auto stat = ReadWholeFile(ProcPath(processId, "stat"));
    if (!stat) {
        return std::nullopt;
    }
    const size_t close = stat->rfind(')');
    if (close == std::string::npos || close + 4 >= stat->size()) {
        return std::nullopt;
    }
    const char* first = stat->data() + close + 4;  // past ") S "
    uint32_t parent = 0;
    const auto [end, error] = std::from_chars(first, stat->data() + stat->size(), parent);
    if (error != std::errc()) {
        return std::nullopt;
    }
    return parent;
}

std::optional<uint32_t> ParseProcessId(const std::string& name) {
    uint32_t id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (error != std::errc() || end != name.data() + name.size()) {
        return std::nullopt;
    }
    return id;
}

}  // namespace

std::string ExeNameFrom(std::string comm, const std::function<std::string()>& argv0Of) {
    if (!comm.empty() && comm.back() == '\n') {
        comm.pop_back();
    }
    const bool commCut = comm.size() == kCommLength;
    // A comm that already ends in ".exe" and was not cut is the name whatever argv[0] says, so
    // the command line is read only when it can change the answer.
    if (!commCut && EndsWithExe(comm)) {
        return comm;
    }
    const std::string argv0 = argv0Of();
    if (commCut || EndsWithExe(argv0)) {
        const size_t separator = argv0.find_last_of("/\\");
        std::string lastElement =
            separator == std::string::npos ? argv0 : argv0.substr(separator + 1);
        if (!lastElement.empty()) {
            return lastElement;
        }
    }
    return comm;
}

Text ExeNameOf(uint32_t processId) {
    auto comm = ReadWholeFile(ProcPath(processId, "comm"));
    if (!comm) {
        return {};
    }
    return GbkFromUtf8OrAscii(ExeNameFrom(std::move(*comm), [processId] {
        const auto cmdline = ReadWholeFile(ProcPath(processId, "cmdline"));
        return cmdline ? cmdline->substr(0, cmdline->find('\0')) : std::string();
    }));
}

Text ModulePathOf(uint32_t processId) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(ProcPath(processId, "exe"), error);
    return error ? Text() : GbkFromUtf8(target.string());
}

int32_t ListProcesses(std::vector<ProcessEntry>& processes, bool withModulePaths) {
    std::vector<ProcessEntry> collected;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const auto processId = ParseProcessId(entry.path().filename().string());
        if (!processId || *processId == 0) {
            continue;
        }
        const auto parent = ParentProcessIdOf(*processId);
        Text exeName = ExeNameOf(*processId);
        if (!parent || exeName.empty()) {
            continue;  // gone while we looked
        }
        collected.push_back({.parentProcessId = *parent,
                             .processId = *processId,
                             .exeName = std::move(exeName),
                             .modulePath = withModulePaths ? ModulePathOf(*processId) : Text()});
    }
    processes = std::move(collected);
    return static_cast<int32_t>(processes.size());
}

}  // namespace melvora
