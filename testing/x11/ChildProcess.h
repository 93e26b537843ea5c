#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace melvora::testing {

// How to start a child process.
struct ChildProcessOptions {
    // Program (looked up in PATH when it has no slash) followed by its arguments.
    std::vector<std::string> arguments;
    // Variables set (or replaced) in the child's copy of this process's environment.
    std::map<std::string, std::string> environment;
    // Variables removed from the child's environment.
    std::vector<std::string> removedVariables;
    // Empty keeps this process's current directory.
    std::string workingDirectory;
    // A descriptor the child keeps open although it was opened close-on-exec; -1 for none.
    int inheritedDescriptor = -1;
    // Throw the child's standard output and error away.
    bool silent = false;
    // Give the child a pipe as its standard input, written with ChildProcess::SendInput.
    bool pipeInput = false;
};

// One child process, killed and reaped when the owner lets go of it.
class ChildProcess {
public:
    // Null when the process could not be started.
    static std::unique_ptr<ChildProcess> Start(const ChildProcessOptions& options);

    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] pid_t Pid() const { return m_pid; }

    // The exit code once the process has ended by itself within `timeout`; empty when it is
    // still running or was ended by a signal (see WasSignalled).
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    [[nodiscard]] bool HasEnded() const { return m_reaped; }
    [[nodiscard]] bool WasSignalled() const { return m_signalled; }

    // SIGTERM, then SIGKILL if it lingers; always reaps.
    void Stop();

    // Writes `text` to the child's standard input (started with pipeInput); false when it cannot.
    bool SendInput(std::string_view text);

private:
    ChildProcess(pid_t pid, int inputFd) : m_pid(pid), m_inputFd(inputFd) {}
    bool Reap(bool block);

    pid_t m_pid;
    int m_inputFd = -1;
    bool m_reaped = false;
    bool m_signalled = false;
    int m_exitCode = -1;
};

}  // namespace melvora::testing
