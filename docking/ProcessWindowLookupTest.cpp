#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "docking/FakeWindowSystem.h"
#include "docking/NamedChildProcess.h"
#include "docking/ProcessWindowLookup.h"
#include "docking/WindowMatching.h"

namespace melvora {
namespace {

using Window = FakeWindowSystem::Window;

class ProcessWindowLookupTest : public ::testing::Test {
protected:
    Window WindowOf(uint32_t handle, uint32_t processId, Text className = {}, Text title = {},
                    bool visible = true) const {
        return {.entry = {.handle = handle,
                          .processId = processId,
                          .className = std::move(className),
                          .title = std::move(title)},
                .visible = visible};
    }

    const NamedChildProcess m_client = NamedChildProcess::WithComm("KuGou.exe");
    const NamedChildProcess m_secondClient = NamedChildProcess::WithComm("kugou.EXE");
    const NamedChildProcess m_gone = NamedChildProcess::WithComm("gone");
    const uint32_t m_self = static_cast<uint32_t>(getpid());
    FakeWindowSystem m_windowSystem;
    std::vector<WindowEntry> m_collected;
    ProcessNameReader m_names;
};

TEST_F(ProcessWindowLookupTest, NothingSoughtIsZeroWithoutEnumerating) {
    m_windowSystem.SetWindows({WindowOf(0x100, m_client.Pid())});
    EXPECT_EQ(FindProcessWindow(m_windowSystem, m_collected, m_names, "", "", ""), kNoWindowSought);
    EXPECT_EQ(m_windowSystem.EnumerationCount(), 0);
}

TEST_F(ProcessWindowLookupTest, ListWindowsReplacesTheListAndEmptiesTheCollectedOne) {
    m_windowSystem.SetWindows(
        {WindowOf(0x100, 1), WindowOf(0x200, 2, "", "", false), WindowOf(0x300, 3)});
    std::vector<WindowEntry> windows{{.handle = 0x999}};

    EXPECT_EQ(ListWindows(m_windowSystem, m_collected, windows), 2);

    ASSERT_EQ(windows.size(), 2U);
    EXPECT_EQ(windows[0].handle, 0x100U);
    EXPECT_EQ(windows[1].handle, 0x300U);
    EXPECT_TRUE(m_collected.empty());
}

TEST_F(ProcessWindowLookupTest, OwnersComeOnceEachInWindowOrderAndGoneOnesAreLeftOut) {
    const std::vector<WindowEntry> windows{
        {.handle = 1, .processId = m_client.Pid()}, {.handle = 2, .processId = 0},
        {.handle = 3, .processId = m_self},         {.handle = 4, .processId = m_client.Pid()},
        {.handle = 5, .processId = 999999999},
    };

    const std::vector<ProcessEntry> processes = ProcessesOwning(windows, m_names);

    ASSERT_EQ(processes.size(), 2U);
    EXPECT_EQ(processes[0].processId, m_client.Pid());
    EXPECT_EQ(processes[0].exeName, Text("KuGou.exe"));
    EXPECT_EQ(processes[1].processId, m_self);
    EXPECT_EQ(processes[1].exeName, ExeNameOf(m_self));
}

// Reading only the windows' owners must give what a walk over every process gives.
TEST_F(ProcessWindowLookupTest, AgreesWithAMatchOverEveryRunningProcess) {
    const std::vector<Window> windows{
        WindowOf(0x100, m_self, "Self", "the test"),
        WindowOf(0x200, 0, "KuGou", "KuGou.exe"),
        WindowOf(0x300, 999999999, "Gone", "gone"),
        WindowOf(0x400, m_secondClient.Pid(), "KuGou", "Lyrics"),
        WindowOf(0x500, m_client.Pid(), "KuGou", "KuGou Music", false),
        WindowOf(0x600, m_client.Pid(), "KuGou", "KuGou Music"),
        WindowOf(0x700, 1, "Init", "init"),
    };
    m_windowSystem.SetWindows(windows);
    std::vector<ProcessEntry> everyProcess;
    ListProcesses(everyProcess);
    std::vector<WindowEntry> visible;
    for (const Window& window : windows) {
        if (window.visible) {
            visible.push_back(window.entry);
        }
    }

    struct Query {
        Text processName, className, title;
    };
    const std::vector<Query> queries{
        {"KuGou.exe", "", ""}, {"KUGOU.EXE", "", ""},      {ExeNameOf(m_self), "", ""},
        {"gone", "", ""},      {"KuGou.exe", "", "Music"}, {"", "KuGou", ""},
        {"", "", "'init'"},    {"KuGou.exe", "Self", ""},  {ExeNameOf(1), "Init", ""},
    };
    for (const Query& query : queries) {
        SCOPED_TRACE(query.processName.str() + "/" + query.className.str() + "/" +
                     query.title.str());
        EXPECT_EQ(FindProcessWindow(m_windowSystem, m_collected, m_names, query.processName,
                                    query.className, query.title),
                  MatchProcessWindow(everyProcess, visible, query.processName, query.className,
                                     query.title));
    }
    EXPECT_EQ(FindProcessWindow(m_windowSystem, m_collected, m_names, "KuGou.exe"), 0x400);
}

}  // namespace
}  // namespace melvora
