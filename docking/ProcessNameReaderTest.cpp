#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>

#include "docking/NamedChildProcess.h"
#include "docking/ProcessList.h"
#include "docking/ProcessNameReader.h"

namespace melvora {
namespace {

// Renames this process's main thread for the length of a test, which /proc shows as its comm.
class RenamedSelf {
public:
    RenamedSelf() { prctl(PR_GET_NAME, m_original); }
    ~RenamedSelf() { prctl(PR_SET_NAME, m_original); }
    RenamedSelf(const RenamedSelf&) = delete;
    RenamedSelf& operator=(const RenamedSelf&) = delete;
    void Rename(const char* comm) { prctl(PR_SET_NAME, comm); }

private:
    char m_original[17] = {};
};

TEST(ProcessNameReader, NamesProcessesAsAFreshLookAtProcDoes) {
    const auto kugou = NamedChildProcess::WithComm("KuGou.exe");
    const auto longName = NamedChildProcess::WithComm("a-name-longer-than-fifteen-bytes");
    const auto windowsPath = NamedChildProcess::SleepingAs(R"(C:\Program Files\KuGou\KuGou.exe)");
    const auto plain = NamedChildProcess::SleepingAs("/bin/sleep");
    ProcessNameReader reader;
    for (int round = 0; round < 2; ++round) {
        for (const uint32_t pid : {kugou.Pid(), longName.Pid(), windowsPath.Pid(), plain.Pid(),
                                   static_cast<uint32_t>(getpid()), 1U}) {
            EXPECT_EQ(reader.ExeNameOf(pid), ExeNameOf(pid)) << "process " << pid;
        }
    }
    EXPECT_EQ(reader.ExeNameOf(kugou.Pid()), Text("KuGou.exe"));
    EXPECT_EQ(reader.ExeNameOf(windowsPath.Pid()), Text("KuGou.exe"));
    EXPECT_EQ(reader.OpenProcessCount(), 6U);
}

TEST(ProcessNameReader, SeesARenameBetweenReads) {
    RenamedSelf self;
    const auto pid = static_cast<uint32_t>(getpid());
    ProcessNameReader reader;
    self.Rename("First.exe");
    EXPECT_EQ(reader.ExeNameOf(pid), Text("First.exe"));
    self.Rename("KuGou.exe");
    EXPECT_EQ(reader.ExeNameOf(pid), Text("KuGou.exe"));
    EXPECT_EQ(reader.OpenProcessCount(), 1U) << "the same files were read again";
}

TEST(ProcessNameReader, AnEndedProcessHasNoNameAndItsFilesAreClosed) {
    auto child = std::make_optional(NamedChildProcess::WithComm("KuGou.exe"));
    const uint32_t pid = child->Pid();
    ProcessNameReader reader;
    ASSERT_EQ(reader.ExeNameOf(pid), Text("KuGou.exe"));

    child.reset();

    EXPECT_EQ(reader.ExeNameOf(pid), Text());
    EXPECT_EQ(reader.OpenProcessCount(), 0U);
    EXPECT_EQ(reader.ExeNameOf(999999999), Text());
}

TEST(ProcessNameReader, KeepsOnlyTheProcessesStillAskedFor) {
    const auto first = NamedChildProcess::WithComm("one");
    const auto second = NamedChildProcess::WithComm("two");
    ProcessNameReader reader;
    reader.ExeNameOf(first.Pid());
    reader.ExeNameOf(second.Pid());
    ASSERT_EQ(reader.OpenProcessCount(), 2U);

    reader.KeepOnly({second.Pid()});

    EXPECT_EQ(reader.OpenProcessCount(), 1U);
    EXPECT_EQ(reader.ExeNameOf(second.Pid()), Text("two"));
    EXPECT_EQ(reader.ExeNameOf(first.Pid()), Text("one"));
}

}  // namespace
}  // namespace melvora
