#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "docking/NamedChildProcess.h"
#include "docking/ProcessList.h"

namespace melvora {
namespace {

using ChildProcess = NamedChildProcess;

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
