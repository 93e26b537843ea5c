#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "docking/ProcessList.h"

namespace melvora {
namespace {

// A child that shows /proc a chosen comm (a renamed thread) or a chosen argv[0] (sleep run under
// another name), and is killed and reaped when the test ends.
class ChildProcess {
public:
    static ChildProcess WithComm(const char* comm) {
        ChildProcess child;
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

    static ChildProcess SleepingAs(std::string argv0) {
        ChildProcess child;
        child.m_pid = fork();
        if (child.m_pid == 0) {
            std::string seconds = "60";
            char* argv[] = {argv0.data(), seconds.data(), nullptr};
            execv("/bin/sleep", argv);
            _exit(127);
        }
        // exec has happened once /proc shows sleep's own comm.
        for (int i = 0; i < 500 && ExeNameOf(static_cast<uint32_t>(child.m_pid)) != Text("sleep") &&
                        ExeNameOf(static_cast<uint32_t>(child.m_pid)) != Text("KuGou.exe");
             ++i) {
            usleep(2000);
        }
        return child;
    }

    ChildProcess(ChildProcess&& other) noexcept : m_pid(std::exchange(other.m_pid, -1)) {}
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    [[nodiscard]] uint32_t Pid() const { return static_cast<uint32_t>(m_pid); }

private:
    ChildProcess() = default;
    pid_t m_pid = -1;
};

std::string OwnArgv0BaseName() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string cmdline((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    const std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    return argv0.substr(argv0.find_last_of('/') + 1);
}

TEST(ProcessList, ListsThisProcessWithItsParentAndNeverProcessZero) {
    std::vector<ProcessEntry> processes{{.processId = 999999999, .exeName = "stale"}};
    const int32_t count = ListProcesses(processes);
    EXPECT_EQ(count, static_cast<int32_t>(processes.size()));
    const auto self = std::find_if(processes.begin(), processes.end(), [](const ProcessEntry& p) {
        return p.processId == static_cast<uint32_t>(getpid());
    });
    ASSERT_NE(self, processes.end());
    EXPECT_EQ(self->parentProcessId, static_cast<uint32_t>(getppid()));
    EXPECT_FALSE(self->exeName.empty());
    EXPECT_TRUE(self->modulePath.empty());
    EXPECT_TRUE(std::none_of(processes.begin(), processes.end(), [](const ProcessEntry& p) {
        return p.processId == 0 || p.processId == 999999999;
    }));
}

TEST(ProcessList, ModulePathsOnlyWhenAskedFor) {
    std::vector<ProcessEntry> processes;
    ListProcesses(processes, true);
    const auto self = std::find_if(processes.begin(), processes.end(), [](const ProcessEntry& p) {
        return p.processId == static_cast<uint32_t>(getpid());
    });
    ASSERT_NE(self, processes.end());
    EXPECT_EQ(self->modulePath, ModulePathOf(static_cast<uint32_t>(getpid())));
    EXPECT_FALSE(self->modulePath.empty());
}

TEST(ProcessList, ShortCommIsTheName) {
    const auto child = ChildProcess::WithComm("KuGou.exe");
    EXPECT_EQ(ExeNameOf(child.Pid()), Text("KuGou.exe"));
}

TEST(ProcessList, CommCutToFifteenBytesFallsBackToArgv0) {
    const auto child = ChildProcess::WithComm("a-name-longer-than-fifteen-bytes");
    EXPECT_EQ(ExeNameOf(child.Pid()), Text(OwnArgv0BaseName()));
}

TEST(ProcessList, WindowsPathInArgv0NamesTheExe) {
    const auto child = ChildProcess::SleepingAs(R"(C:\Program Files\KuGou\KuGou.exe)");
    EXPECT_EQ(ExeNameOf(child.Pid()), Text("KuGou.exe"));
}

TEST(ProcessList, UnixPathInArgv0EndingInExe) {
    const auto child = ChildProcess::SleepingAs("/opt/wine/drive_c/KuGou.exe");
    EXPECT_EQ(ExeNameOf(child.Pid()), Text("KuGou.exe"));
}

TEST(ProcessList, GoneProcessHasNoName) {
    EXPECT_EQ(ExeNameOf(999999999), Text());
    EXPECT_EQ(ModulePathOf(999999999), Text());
}

}  // namespace
}  // namespace melvora
