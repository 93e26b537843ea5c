#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include "download/ActivateTrack.h"
#include "download/DownloadTestSupport.h"
#include "download/RecordingPlayer.h"
#include "testing/InMemoryControls.h"
#include "testing/LoopbackServer.h"
#include "text/CodePage.h"

namespace melvora::download {
namespace {

using namespace literals;
using testing::LoopbackServer;
using testing::Reply;
using namespace test;

Reply BodyReply(const std::string& body, std::size_t from, std::optional<std::size_t> cut) {
    Reply reply;
    if (from > 0) {
        reply.status = 206;
        reply.reason = "Partial Content";
        reply.headers = {{"Content-Range", "bytes " + std::to_string(from) + "-" +
                                               std::to_string(body.size() - 1) + "/" +
                                               std::to_string(body.size())}};
    }
    reply.body = body.substr(from);
    reply.cutAfterBodyBytes = cut;
    return reply;
}

// Downloads that break off at random places and are resumed, through the whole activation,
// until every one is complete: each must end byte for byte as served.
TEST(DownloadFaultMatrixTest, RandomDropsResumedUntilDoneEndByteIdentical) {
    constexpr int kDownloads = 50;
    constexpr std::size_t kBodySize = 200 * 1024;
    std::mt19937 random(20261211);
    ScratchFolder folder;
    const auto music = folder.Path() / "MP3";
    std::filesystem::create_directory(music);
    LoopbackServer server;
    RecordingPlayer player;

    int totalDrops = 0;
    for (int download = 0; download < kDownloads; ++download) {
        SCOPED_TRACE("download " + std::to_string(download));
        const std::string body = MakeBody(kBodySize, static_cast<uint32_t>(download));
        const std::string name = "track" + std::to_string(download);
        testing::InMemoryControls controls;
        controls.AnswerMessageBoxesWith(MessageBoxButton::Yes);
        const int32_t row = controls.AppendRow();
        controls.SetCellText(row, 0, Text(name));
        controls.SetCellText(row, 4, Text(server.Url("/" + name + ".mp3")));
        controls.SetSelection(row);
        controls.SetChecked(false, false);

        const int drops = 1 + static_cast<int>(random() % 3);
        std::size_t have = 0;
        for (int attempt = 0; attempt <= drops; ++attempt) {
            std::optional<std::size_t> cut;
            if (attempt < drops) {
                const std::size_t remaining = kBodySize - have;
                cut = std::uniform_int_distribution<std::size_t>(0, remaining - 1)(random);
            }
            server.Enqueue(BodyReply(body, have, cut));
            ActivateTrack(controls, music, player);
            if (cut) {
                have += *cut;
                ASSERT_EQ(ReadWholeFile(music / (name + ".mp3.tmp")), body.substr(0, have));
                ++totalDrops;
            }
        }

        EXPECT_EQ(ReadWholeFile(music / (name + ".mp3")), body);
        EXPECT_FALSE(std::filesystem::exists(music / (name + ".mp3.tmp")));
        // One failed read per drop, and a question before every attempt after the first.
        int readErrors = 0;
        int questions = 0;
        for (const auto& message : controls.Messages()) {
            readErrors += message.text == "读文件出错!"_gbk ? 1 : 0;
            questions += message.text == "文件已存在，是否断点续传？"_gbk ? 1 : 0;
        }
        EXPECT_EQ(readErrors, drops);
        EXPECT_EQ(questions, drops);
        EXPECT_EQ(controls.StatusText(1), Text("[" + name + ".mp3]") + "  下载完毕"_gbk);
    }
    EXPECT_GE(totalDrops, kDownloads);
}

// A write that fails (here: past the process's file size limit, as a full disk would) ends the
// download with "写文件出错!", keeping what was written, and nothing is reported as done. The
// limit applies to the whole process, so the activation runs in a child.
TEST(DownloadWriteFailureTest, AFailedWriteIsReportedAndNothingCompletes) {
    constexpr rlim_t kFileSizeLimit = 50000;
    ScratchFolder folder;
    const auto music = folder.Path() / "MP3";
    std::filesystem::create_directory(music);
    LoopbackServer server;
    const std::string body = MakeBody(200000, 99);
    server.Enqueue(BodyReply(body, 0, std::nullopt));

    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kFileSizeLimit, kFileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        testing::InMemoryControls controls;
        RecordingPlayer player;
        const int32_t row = controls.AppendRow();
        controls.SetCellText(row, 0, "X");
        controls.SetCellText(row, 4, Text(server.Url("/x.mp3")));
        controls.SetSelection(row);
        ActivateTrack(controls, music, player);
        // Everything the window was told, one GBK text a line, then what was played.
        std::string report;
        for (const auto& message : controls.Messages()) {
            report += "message:" + message.text.str() + "\n";
        }
        for (const auto& text : controls.StatusHistory(1)) {
            report += "status:" + text.str() + "\n";
        }
        report += "plays:" + std::to_string(player.Calls().size()) + "\n";
        const bool sent =
            write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        close(channel[1]);
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const std::string gbkReport = report;
    EXPECT_NE(gbkReport.find("message:" + "写文件出错!"_gbk.str() + "\n"), std::string::npos)
        << Utf8FromGbk(Text(gbkReport));
    EXPECT_EQ(gbkReport.find("message:", gbkReport.find("message:") + 1), std::string::npos);
    EXPECT_EQ(gbkReport.find("下载完毕"_gbk.str()), std::string::npos);
    EXPECT_EQ(gbkReport.find("正在播放"_gbk.str()), std::string::npos);
    EXPECT_NE(gbkReport.find("plays:0\n"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(music / "X.mp3.tmp"), body.substr(0, kFileSizeLimit));
    EXPECT_FALSE(std::filesystem::exists(music / "X.mp3"));
}

}  // namespace
}  // namespace melvora::download
