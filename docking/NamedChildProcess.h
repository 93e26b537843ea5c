#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace melvora {

// For tests: a child process that shows /proc a chosen comm (a renamed main thread) or a chosen
// argv[0] (sleep run under another name). Killed and reaped when the owner lets go of it.
class NamedChildProcess {
public:
    static NamedChildProcess WithComm(const char* comm);
    static NamedChildProcess SleepingAs(std::string argv0);

    NamedChildProcess(NamedChildProcess&& other) noexcept;
    NamedChildProcess& operator=(NamedChildProcess&&) = delete;
    NamedChildProcess(const NamedChildProcess&) = delete;
    NamedChildProcess& operator=(const NamedChildProcess&) = delete;
    ~NamedChildProcess();

    [[nodiscard]] uint32_t Pid() const { return static_cast<uint32_t>(m_pid); }

private:
    NamedChildProcess() = default;
    pid_t m_pid = -1;
};

}  // namespace melvora
