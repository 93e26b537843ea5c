#include <gtest/gtest.h>

#include "download/ActivateTrack.h"
#include "download/DownloadHeaders.h"
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
using PlayerCall = RecordingPlayer::Call;

class ActivateTrackTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(m_music); }

    // Appends a row with the song name and the address and selects it.
    int32_t AddRow(const Text& songName, const std::string& address) {
        const int32_t row = m_controls.AppendRow();
        m_controls.SetCellText(row, 0, songName);
        m_controls.SetCellText(row, 1, "singer");
        m_controls.SetCellText(row, 4, Text(address));
        m_controls.SetSelection(row);
        return row;
    }

    void Activate() { ActivateTrack(m_controls, m_music, m_player); }

    std::filesystem::path MusicFile(const std::string& utf8Name) const {
        return m_music / utf8Name;
    }

    std::vector<Text> MessageTexts() {
        std::vector<Text> texts;
        for (const auto& message : m_controls.Messages()) {
            texts.push_back(message.text);
        }
        return texts;
    }

    ScratchFolder m_folder;
    std::filesystem::path m_music = m_folder.Path() / "MP3";
    LoopbackServer m_server;
    testing::InMemoryControls m_controls;
    RecordingPlayer m_player;
};

TEST_F(ActivateTrackTest, DownloadsMovesReportsAndPlays) {
    const std::string body = MakeBody(30000, 21);
    m_server.Enqueue(FullReply(body));
    AddRow("晴天"_gbk, m_server.Url("/qingtian.mp3"));

    Activate();

    const auto track = MusicFile("晴天.mp3");
    EXPECT_EQ(ReadWholeFile(track), body);
    EXPECT_EQ(FolderListing(m_music), "晴天.mp3\n");
    EXPECT_TRUE(m_controls.Messages().empty());
    const auto history = m_controls.StatusHistory(1);
    ASSERT_EQ(history.size(), 3U + 2U);  // 30000 bytes: three blocks, then the two texts.
    EXPECT_EQ(history[0], "正在下载:晴天    文件大小:0.03MB    已下载:0.01MB"_gbk);
    EXPECT_EQ(history[2], "正在下载:晴天    文件大小:0.03MB    已下载:0.03MB"_gbk);
    EXPECT_EQ(history[3], "[晴天.mp3]  下载完毕"_gbk);
    EXPECT_EQ(history[4], "正在播放：[晴天.mp3]"_gbk);
    EXPECT_EQ(m_player.Calls(), (std::vector<PlayerCall>{{PlayerCall::Kind::Play, track}}));
    EXPECT_TRUE(m_controls.StatusHistory(0).empty());
}

TEST_F(ActivateTrackTest, WithoutPlayAfterDownloadItStopsAtTheCompletionText) {
    m_server.Enqueue(FullReply(MakeBody(100, 22)));
    AddRow("X", m_server.Url("/x.mp3"));
    m_controls.SetChecked(false, true);

    Activate();

    EXPECT_EQ(m_controls.StatusText(1), "[X.mp3]  下载完毕"_gbk);
    EXPECT_TRUE(m_player.Calls().empty());
}

TEST_F(ActivateTrackTest, TheCheckBoxIsReadAfterTheDownload) {
    AddRow("X", m_server.Url("/x.mp3"));
    m_controls.SetChecked(false, true);
    // The box is ticked while the reply is on its way.
    m_server.SetHandler([this](const testing::RecordedRequest&) {
        m_controls.SetChecked(true, true);
        return FullReply("abc");
    });

    Activate();

    EXPECT_EQ(m_player.Calls().size(), 1U);
}

TEST_F(ActivateTrackTest, AnExistingTrackWithoutTemporaryFileIsReplacedWithoutAQuestion) {
    WriteWholeFile(MusicFile("X.mp3"), "old track");
    const std::string body = MakeBody(5000, 23);
    m_server.Enqueue(FullReply(body));
    AddRow("X", m_server.Url("/x.mp3"));

    Activate();

    EXPECT_TRUE(m_controls.Messages().empty());
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), body);
    EXPECT_EQ(FolderListing(m_music), "X.mp3\n");
}

TEST_F(ActivateTrackTest, YesResumesTheTemporaryFileFromItsSize) {
    const std::string body = MakeBody(40000, 24);
    WriteWholeFile(MusicFile("X.mp3.tmp"), body.substr(0, 13000));
    m_server.Enqueue(PartialReply(body, 13000));
    m_controls.AnswerMessageBoxesWith(MessageBoxButton::Yes);
    AddRow("X", m_server.Url("/x.mp3"));

    Activate();

    const auto messages = m_controls.Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text, "文件已存在，是否断点续传？"_gbk);
    EXPECT_EQ(messages[0].caption, "提示："_gbk);
    EXPECT_EQ(messages[0].style, 0x24U);
    ASSERT_EQ(m_server.RequestCount(), 1U);
    EXPECT_EQ(m_server.Requests()[0].Header("Range"), "bytes=13000-");
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), body);
    EXPECT_EQ(FolderListing(m_music), "X.mp3\n");
    EXPECT_EQ(m_controls.StatusHistory(1).front(),
              "正在下载:X    文件大小:0.03MB    已下载:0.02MB"_gbk);
}

TEST_F(ActivateTrackTest, NoStartsTheTemporaryFileOver) {
    const std::string body = MakeBody(20000, 25);
    WriteWholeFile(MusicFile("X.mp3.tmp"), std::string(30000, 'z'));
    m_server.Enqueue(FullReply(body));
    m_controls.AnswerMessageBoxesWith(MessageBoxButton::No);
    AddRow("X", m_server.Url("/x.mp3"));

    Activate();

    ASSERT_EQ(m_controls.Messages().size(), 1U);
    ASSERT_EQ(m_server.RequestCount(), 1U);
    EXPECT_EQ(m_server.Requests()[0].raw,
              ExpectedRequest(m_server.HostPort(), "/x.mp3", kDownloadHeaderBlock));
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), body);
}

TEST_F(ActivateTrackTest, ADropThenAResumeAnsweredYesEndsByteIdentical) {
    const std::string body = MakeBody(90000, 26);
    Reply cut = FullReply(body);
    cut.cutAfterBodyBytes = 33333;
    m_server.Enqueue(cut);
    AddRow("X", m_server.Url("/x.mp3"));

    Activate();

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"读文件出错!"_gbk});
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3.tmp")), body.substr(0, 33333));
    EXPECT_FALSE(std::filesystem::exists(MusicFile("X.mp3")));
    EXPECT_TRUE(m_player.Calls().empty());
    // The status bar keeps the last progress text.
    EXPECT_EQ(m_controls.StatusText(1), "正在下载:X    文件大小:0.09MB    已下载:0.03MB"_gbk);

    m_server.Enqueue(PartialReply(body, 33333));
    m_controls.AnswerMessageBoxesWith(MessageBoxButton::Yes);
    Activate();

    EXPECT_EQ(MessageTexts(),
              (std::vector<Text>{"读文件出错!"_gbk, "文件已存在，是否断点续传？"_gbk}));
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), body);
    EXPECT_EQ(FolderListing(m_music), "X.mp3\n");
}

TEST_F(ActivateTrackTest, AFailedDownloadLeavesNoTraceButTheTemporaryFile) {
    WriteWholeFile(MusicFile("X.mp3"), "older track");
    Reply notFound;
    notFound.status = 404;
    notFound.reason = "Not Found";
    notFound.body = "<html>missing</html>";
    m_server.Enqueue(notFound);
    AddRow("X", m_server.Url("/x.mp3"));
    m_controls.SetStatusText(1, "earlier");

    Activate();

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), "older track");
    EXPECT_EQ(FolderListing(m_music), "X.mp3\n");
    EXPECT_EQ(m_controls.StatusText(1), Text("earlier"));
    EXPECT_TRUE(m_player.Calls().empty());
}

TEST_F(ActivateTrackTest, AnEmptyAddressCannotBeOpenedAndCreatesNothing) {
    AddRow("X", "");

    Activate();

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
    EXPECT_EQ(FolderListing(m_music), "");
}

TEST_F(ActivateTrackTest, AMissingMusicFolderMeansTheLocalFileCannotBeOpened) {
    m_server.Enqueue(FullReply("abc"));
    AddRow("X", m_server.Url("/x.mp3"));
    m_music = m_folder.Path() / "gone";

    Activate();

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开本地的文件!"_gbk});
    EXPECT_FALSE(std::filesystem::exists(m_music));
}

class UnusableSongNameTest : public ActivateTrackTest,
                             public ::testing::WithParamInterface<std::string> {};

TEST_P(UnusableSongNameTest, CannotBeALocalFileAndNothingIsCreatedAnywhere) {
    m_server.Enqueue(FullReply("payload"));
    std::filesystem::create_directory(m_music / "a");
    AddRow(Text(GetParam()), m_server.Url("/x.mp3"));
    const std::string outsideBefore = FolderListing(m_folder.Path());

    Activate();

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开本地的文件!"_gbk});
    EXPECT_EQ(FolderListing(m_music), "a\n");
    EXPECT_EQ(FolderListing(m_music / "a"), "");
    EXPECT_EQ(FolderListing(m_folder.Path()), outsideBefore);
    EXPECT_EQ(m_server.RequestCount(), 0U);
    EXPECT_TRUE(m_player.Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Names, UnusableSongNameTest,
                         ::testing::Values("../x", "a/b", "a\\b", "a\x01z", "tab\there", "del\x7f",
                                           "", "/", std::string(250, 'n')));

TEST_F(ActivateTrackTest, NoSelectionReadsEmptyCellsAndCreatesNothing) {
    AddRow("X", m_server.Url("/x.mp3"));
    m_controls.SetSelection(-1);

    Activate();

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
    EXPECT_EQ(FolderListing(m_music), "");
    EXPECT_EQ(m_server.RequestCount(), 0U);
}

TEST_F(ActivateTrackTest, AnEmptyAddressIsReportedBeforeAnUnusableName) {
    AddRow("../x", "");

    Activate();

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
    EXPECT_EQ(FolderListing(m_music), "");
}

TEST_F(ActivateTrackTest, TwoRowsWithOneSongNameShareTheirFiles) {
    const std::string first = MakeBody(20000, 27);
    const std::string second = MakeBody(25000, 28);
    const int32_t firstRow = AddRow("同名"_gbk, m_server.Url("/first.mp3"));
    const int32_t secondRow = AddRow("同名"_gbk, m_server.Url("/second.mp3"));

    m_server.Enqueue(FullReply(first));
    m_controls.SetSelection(firstRow);
    Activate();
    EXPECT_EQ(ReadWholeFile(MusicFile("同名.mp3")), first);

    // The second row's download replaces the first's track; a drop leaves its temporary file.
    Reply cut = FullReply(second);
    cut.cutAfterBodyBytes = 10000;
    m_server.Enqueue(cut);
    m_controls.SetSelection(secondRow);
    Activate();
    EXPECT_EQ(ReadWholeFile(MusicFile("同名.mp3.tmp")), second.substr(0, 10000));

    // Activating the first row again offers that temporary file for resumption.
    m_server.Enqueue(PartialReply(second, 10000));
    m_controls.AnswerMessageBoxesWith(MessageBoxButton::Yes);
    m_controls.SetSelection(firstRow);
    Activate();

    EXPECT_EQ(MessageTexts(),
              (std::vector<Text>{"读文件出错!"_gbk, "文件已存在，是否断点续传？"_gbk}));
    EXPECT_EQ(m_server.Requests().back().Target(), "/first.mp3");
    EXPECT_EQ(ReadWholeFile(MusicFile("同名.mp3")), second);
    EXPECT_EQ(FolderListing(m_music), "同名.mp3\n");
}

TEST_F(ActivateTrackTest, ProgressNamesTheActivatedRowWhateverTheSelectionBecomes) {
    AddRow("Other", m_server.Url("/other.mp3"));
    const int32_t row = AddRow("Mine", m_server.Url("/mine.mp3"));
    m_server.SetHandler([this](const testing::RecordedRequest&) {
        m_controls.SetSelection(0);
        return FullReply(MakeBody(15000, 29));
    });
    m_controls.SetSelection(row);

    Activate();

    for (const Text& text : m_controls.StatusHistory(1)) {
        EXPECT_EQ(Utf8FromGbk(text).find("Other"), std::string::npos) << Utf8FromGbk(text);
    }
    EXPECT_EQ(m_controls.StatusText(1), "正在播放：[Mine.mp3]"_gbk);
    EXPECT_TRUE(std::filesystem::exists(MusicFile("Mine.mp3")));
}

TEST_F(ActivateTrackTest, ACancelledActivationShowsNothingAndKeepsNoTrack) {
    AddRow("X", m_server.Url("/x.mp3"));
    CancellationToken cancellation;
    cancellation.Cancel();

    ActivateTrack(m_controls, m_music, m_player, &cancellation);

    EXPECT_TRUE(m_controls.Messages().empty());
    EXPECT_TRUE(m_controls.StatusHistory(1).empty());
    EXPECT_EQ(FolderListing(m_music), "");
}

TEST_F(ActivateTrackTest, StopPlaybackStopsThePlayerAndLeavesTheStatusBar) {
    m_controls.SetStatusText(1, "正在播放：[X.mp3]"_gbk);

    StopPlayback(m_player);

    EXPECT_EQ(m_player.Calls(), (std::vector<PlayerCall>{{PlayerCall::Kind::Stop, {}}}));
    EXPECT_EQ(m_controls.StatusText(1), "正在播放：[X.mp3]"_gbk);
}

}  // namespace
}  // namespace melvora::download
