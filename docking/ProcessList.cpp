#include "docking/ProcessList.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "text/CodePage.h"
#include "text/TextSearch.h"

namespace melvora {

namespace {

// The kernel keeps at most TASK_COMM_LEN - 1 bytes of a command name.
constexpr size_t kCommLength = 15;

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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

Text ExeNameOf(uint32_t processId) {
    auto comm = ReadWholeFile(ProcPath(processId, "comm"));
    if (!comm) {
        return {};
    }
    if (!comm->empty() && comm->back() == '\n') {
        comm->pop_back();
    }
    std::string argv0;
    if (const auto cmdline = ReadWholeFile(ProcPath(processId, "cmdline"))) {
        argv0 = cmdline->substr(0, cmdline->find('\0'));
    }
    std::string name = *comm;
    if (comm->size() == kCommLength || (!EndsWithExe(*comm) && EndsWithExe(argv0))) {
        const size_t separator = argv0.find_last_of("/\\");
        std::string lastElement =
            separator == std::string::npos ? argv0 : argv0.substr(separator + 1);
        if (!lastElement.empty()) {
            name = std::move(lastElement);
        }
    }
    return GbkFromUtf8(name);
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
