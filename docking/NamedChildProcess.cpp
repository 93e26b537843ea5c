#include "docking/NamedChildProcess.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <utility>

#include "docking/ProcessList.h"

namespace melvora {

NamedChildProcess NamedChildProcess::WithComm(const char* comm) {
    NamedChildProcess child;
    int ready[2];
    if (pipe(ready) != 0) {
        return child;
    }
    child.m_pid = fork();
    if (child.m_pid == 0) {
        prctl(PR_SET_NAME, comm);
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    (void)!read(ready[0], &byte, 1);
    close(ready[0]);
    close(ready[1]);
    return child;
}

NamedChildProcess NamedChildProcess::SleepingAs(std::string argv0) {
    NamedChildProcess child;
    child.m_pid = fork();
    if (child.m_pid == 0) {
        std::string seconds = "60";
        char* argv[] = {argv0.data(), seconds.data(), nullptr};
        execv("/bin/sleep", argv);
        _exit(127);
    }
    // exec has happened once /proc shows sleep's own comm.
    for (int i = 0; i < 500 && ExeNameOf(child.Pid()) != Text("sleep") &&
                    ExeNameOf(child.Pid()) != Text("KuGou.exe");
         ++i) {
        usleep(2000);
    }
    return child;
}

NamedChildProcess::NamedChildProcess(NamedChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)) {}

NamedChildProcess::~NamedChildProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

}  // namespace melvora
