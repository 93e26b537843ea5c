#include "testing/x11/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace melvora::testing {

namespace {

// Everything the child needs is prepared before fork: after it, only async-signal-safe calls.
std::vector<std::string> ChildEnvironment(const ChildProcessOptions& options) {
    const auto& overrides = options.environment;
    const auto& removed = options.removedVariables;
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string name(text.substr(0, text.find('=')));
        if (!overrides.contains(name) &&
            std::find(removed.begin(), removed.end(), name) == removed.end()) {
            entries.emplace_back(text);
        }
    }
    for (const auto& [name, value] : overrides) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> NullTerminated(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const ChildProcessOptions& options) {
    if (options.arguments.empty()) {
        return nullptr;
    }
    std::vector<std::string> arguments = options.arguments;
    std::vector<std::string> environment = ChildEnvironment(options);
    std::vector<char*> argv = NullTerminated(arguments);
    std::vector<char*> envp = NullTerminated(environment);
    const char* directory =
        options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();

    int input[2] = {-1, -1};
    // A socket pair rather than a pipe: a write to a child that has ended then fails instead of
    // raising SIGPIPE in the test.
    if (options.pipeInput && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
        return nullptr;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        if (options.pipeInput) {
            close(input[0]);
            close(input[1]);
        }
        return nullptr;
    }
    if (pid == 0) {
        if (options.pipeInput) {
            dup2(input[0], STDIN_FILENO);
        }
        if (options.inheritedDescriptor >= 0) {
            fcntl(options.inheritedDescriptor, F_SETFD, 0);
        }
        if (options.silent) {
            const int devNull = open("/dev/null", O_WRONLY);
            if (devNull >= 0) {
                dup2(devNull, STDOUT_FILENO);
                dup2(devNull, STDERR_FILENO);
            }
        }
        if (directory != nullptr && chdir(directory) != 0) {
            _exit(126);
        }
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (options.pipeInput) {
        close(input[0]);
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, input[1]));
}

ChildProcess::~ChildProcess() {
    Stop();
    if (m_inputFd >= 0) {
        close(m_inputFd);
    }
}

bool ChildProcess::SendInput(std::string_view text) {
    if (m_inputFd < 0) {
        return false;
    }
    while (!text.empty()) {
        const ssize_t written = send(m_inputFd, text.data(), text.size(), MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool ChildProcess::Reap(bool block) {
    if (m_reaped) {
        return true;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) {
        return false;
    }
    m_reaped = true;
    if (result > 0 && WIFEXITED(status)) {
        m_exitCode = WEXITSTATUS(status);
    } else {
        m_signalled = true;
    }
    return true;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!Reap(false)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (m_signalled) {
        return std::nullopt;
    }
    return m_exitCode;
}

void ChildProcess::Stop() {
    if (m_reaped) {
        return;
    }
    kill(m_pid, SIGTERM);
    if (!WaitForExit(std::chrono::seconds(3)).has_value() && !m_reaped) {
        kill(m_pid, SIGKILL);
        Reap(true);
    }
}

}  // namespace melvora::testing
