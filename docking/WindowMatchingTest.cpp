#include <gtest/gtest.h>

#include "docking/WindowMatching.h"
#include "text/CodePage.h"

namespace melvora {
namespace {

using namespace literals;

const std::vector<ProcessEntry> kProcesses = {
    {.parentProcessId = 1, .processId = 10, .exeName = "bash"},
    {.parentProcessId = 1, .processId = 20, .exeName = "KuGou.exe"},
    {.parentProcessId = 1, .processId = 30, .exeName = "KuGou.exe"},
    {.parentProcessId = 1, .processId = 40, .exeName = "酷狗.exe"_gbk},
};

const std::vector<WindowEntry> kWindows = {
    {.handle = 100, .processId = 10, .className = "XTerm", .title = "bash"},
    {.handle = 200, .processId = 30, .className = "kugou.exe", .title = "KuGou Music"},
    {.handle = 300, .processId = 20, .className = "KuGou.exe", .title = "Lyrics"},
    {.handle = 400, .processId = 40, .className = "Wine", .title = "酷狗音乐"_gbk},
    {.handle = 500, .processId = 0, .className = "Popup", .title = "Music"},
};

struct MatchCase {
    const char* name;
    Text processName;
    Text className;
    Text title;
    int32_t expected;
};

void PrintTo(const MatchCase& c, std::ostream* out) {
    *out << c.name;
}

class MatchCases : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchCases, PicksTheFirstQualifyingWindow) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(MatchProcessWindow(kProcesses, kWindows, c.processName, c.className, c.title),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MatchCases,
    ::testing::Values(
        MatchCase{"nothing sought", "", "", "", kNoWindowSought},
        MatchCase{"first window of any process with the name", "KuGou.exe", "", "", 200},
        MatchCase{"process name folds ascii case", "kugou.EXE", "", "", 200},
        MatchCase{"Chinese process name compared exactly", "酷狗.exe"_gbk, "", "", 400},
        MatchCase{"no such process", "QQMusic.exe", "", "", kNoWindowFound},
        MatchCase{"class is exact", "", "KuGou.exe", "", 300},
        MatchCase{"class differing only in case", "", "KUGOU.EXE", "", kNoWindowFound},
        MatchCase{"title anywhere inside", "", "", "Music", 200},
        MatchCase{"leading quote ties to the start", "", "", "'Music", 500},
        MatchCase{"trailing quote ties to the end", "", "", "Music'", 200},
        MatchCase{"quotes on both sides: the whole title", "", "", "'Lyrics'", 300},
        MatchCase{"quoted title that is only a part", "", "", "'Lyric'", kNoWindowFound},
        MatchCase{"title is case sensitive", "", "", "music", kNoWindowFound},
        MatchCase{"Chinese title part", "", "", "音乐"_gbk, 400},
        MatchCase{"all tests together", "KuGou.exe", "KuGou.exe", "Lyrics", 300},
        MatchCase{"process and class that disagree", "bash", "KuGou.exe", "", kNoWindowFound}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

TEST(MatchProcessWindow, EmptyListsFindNothing) {
    EXPECT_EQ(MatchProcessWindow({}, {}, "KuGou.exe", "", ""), kNoWindowFound);
    EXPECT_EQ(MatchProcessWindow(kProcesses, {}, "KuGou.exe", "", ""), kNoWindowFound);
}

}  // namespace
}  // namespace melvora
