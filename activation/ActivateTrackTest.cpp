#include <gtest/gtest.h>

#include "activation/ActivateTrack.h"
#include "download/DownloadHeaders.h"
#include "download/DownloadTestSupport.h"
#include "download/RecordingPlayer.h"
#include "testing/LoopbackServer.h"
#include "testing/RecordingTrackReport.h"
#include "text/CodePage.h"

namespace melvora::activation {
namespace {

using namespace literals;
using download::kDownloadHeaderBlock;
using download::RecordingPlayer;
using testing::LoopbackServer;
using testing::RecordingTrackReport;
using testing::Reply;
using namespace download::test;
using PlayerCall = RecordingPlayer::Call;
using Progress = RecordingTrackReport::Progress;

class ActivateTrackTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(m_music); }

    // The track the next activation asks for.
    void Choose(const Text& songName, const std::string& address) {
        m_track = {.songName = songName, .playAddress = Text(address)};
    }

    DownloadOutcome Activate() { return ActivateTrack(m_track, m_music, m_player, m_report); }

    std::filesystem::path MusicFile(const std::string& utf8Name) const {
        return m_music / utf8Name;
    }

    ScratchFolder m_folder;
    std::filesystem::path m_music = m_folder.Path() / "MP3";
    LoopbackServer m_server;
    TrackRequest m_track;
    RecordingTrackReport m_report;
    RecordingPlayer m_player;
};

TEST_F(ActivateTrackTest, DownloadsMovesReportsAndPlays) {
    const std::string body = MakeBody(30000, 21);
    m_server.Enqueue(FullReply(body));
    Choose("晴天"_gbk, m_server.Url("/qingtian.mp3"));

    EXPECT_EQ(Activate(), DownloadOutcome::Done);

    const auto track = MusicFile("晴天.mp3");
    EXPECT_EQ(ReadWholeFile(track), body);
    EXPECT_EQ(FolderListing(m_music), "晴天.mp3\n");
    // 30000 bytes: at least three blocks, each reported under the activated song's name.
    const std::vector<Progress> progress = m_report.Progresses();
    ASSERT_GE(progress.size(), 3U);
    for (const Progress& block : progress) {
        EXPECT_EQ(block.songName, "晴天"_gbk);
        EXPECT_EQ(block.contentLength, 30000);
    }
    EXPECT_EQ(progress.back().downloaded, 30000);
    EXPECT_EQ(m_report.Events(),
              (std::vector<std::string>{"downloaded " + "晴天.mp3"_gbk.str(), "play?",
                                        "playing " + "晴天.mp3"_gbk.str()}));
    EXPECT_EQ(m_player.Calls(), (std::vector<PlayerCall>{{PlayerCall::Kind::Play, track}}));
}

TEST_F(ActivateTrackTest, WithoutPlayAfterDownloadItStopsAtTheCompletion) {
    m_server.Enqueue(FullReply(MakeBody(100, 22)));
    Choose("X", m_server.Url("/x.mp3"));
    m_report.AnswerPlayAfterDownloadWith(false);

    EXPECT_EQ(Activate(), DownloadOutcome::Done);

    EXPECT_EQ(m_report.Events(), (std::vector<std::string>{"downloaded X.mp3", "play?"}));
    EXPECT_TRUE(m_player.Calls().empty());
}

TEST_F(ActivateTrackTest, ThePlayQuestionIsAskedAfterTheDownload) {
    Choose("X", m_server.Url("/x.mp3"));
    m_report.AnswerPlayAfterDownloadWith(false);
    // The answer changes while the reply is on its way.
    m_server.SetHandler([this](const testing::RecordedRequest&) {
        m_report.AnswerPlayAfterDownloadWith(true);
        return FullReply("abc");
    });

    Activate();

    EXPECT_EQ(m_player.Calls().size(), 1U);
}

TEST_F(ActivateTrackTest, AnExistingTrackWithoutTemporaryFileIsReplacedWithoutAQuestion) {
    WriteWholeFile(MusicFile("X.mp3"), "old track");
    const std::string body = MakeBody(5000, 23);
    m_server.Enqueue(FullReply(body));
    Choose("X", m_server.Url("/x.mp3"));

    Activate();

    EXPECT_EQ(m_report.ResumeQuestions(), 0);
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), body);
    EXPECT_EQ(FolderListing(m_music), "X.mp3\n");
}

TEST_F(ActivateTrackTest, YesResumesTheTemporaryFileFromItsSize) {
    const std::string body = MakeBody(40000, 24);
    WriteWholeFile(MusicFile("X.mp3.tmp"), body.substr(0, 13000));
    m_server.Enqueue(PartialReply(body, 13000));
    m_report.AnswerResumeWith(true);
    Choose("X", m_server.Url("/x.mp3"));

    EXPECT_EQ(Activate(), DownloadOutcome::Done);

    EXPECT_EQ(m_report.ResumeQuestions(), 1);
    ASSERT_EQ(m_server.RequestCount(), 1U);
    EXPECT_EQ(m_server.Requests()[0].Header("Range"), "bytes=13000-");
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), body);
    EXPECT_EQ(FolderListing(m_music), "X.mp3\n");
    // The reply announces the rest; the count goes on from the bytes already there.
    const Progress first = m_report.Progresses().front();
    EXPECT_EQ(first.contentLength, 27000);
    EXPECT_GT(first.downloaded, 13000);
    EXPECT_LE(first.downloaded, 13000 + 10240);
}

TEST_F(ActivateTrackTest, NoStartsTheTemporaryFileOver) {
    const std::string body = MakeBody(20000, 25);
    WriteWholeFile(MusicFile("X.mp3.tmp"), std::string(30000, 'z'));
    m_server.Enqueue(FullReply(body));
    m_report.AnswerResumeWith(false);
    Choose("X", m_server.Url("/x.mp3"));

    Activate();

    EXPECT_EQ(m_report.ResumeQuestions(), 1);
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
    Choose("X", m_server.Url("/x.mp3"));

    EXPECT_EQ(Activate(), DownloadOutcome::ReadError);

    EXPECT_EQ(m_report.Events(), std::vector<std::string>{"failed ReadError"});
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3.tmp")), body.substr(0, 33333));
    EXPECT_FALSE(std::filesystem::exists(MusicFile("X.mp3")));
    EXPECT_TRUE(m_player.Calls().empty());

    m_server.Enqueue(PartialReply(body, 33333));
    m_report.AnswerResumeWith(true);
    EXPECT_EQ(Activate(), DownloadOutcome::Done);

    EXPECT_EQ(m_report.Events(),
              (std::vector<std::string>{"failed ReadError", "resume?", "downloaded X.mp3", "play?",
                                        "playing X.mp3"}));
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
    Choose("X", m_server.Url("/x.mp3"));

    EXPECT_EQ(Activate(), DownloadOutcome::CannotOpenUrl);

    EXPECT_EQ(m_report.Events(), std::vector<std::string>{"failed CannotOpenUrl"});
    EXPECT_TRUE(m_report.Progresses().empty());
    EXPECT_EQ(ReadWholeFile(MusicFile("X.mp3")), "older track");
    EXPECT_EQ(FolderListing(m_music), "X.mp3\n");
    EXPECT_TRUE(m_player.Calls().empty());
}

TEST_F(ActivateTrackTest, AnEmptyAddressCannotBeOpenedAndCreatesNothing) {
    Choose("X", "");

    EXPECT_EQ(Activate(), DownloadOutcome::CannotOpenUrl);

    EXPECT_EQ(m_report.Events(), std::vector<std::string>{"failed CannotOpenUrl"});
    EXPECT_EQ(FolderListing(m_music), "");
}

TEST_F(ActivateTrackTest, AMissingMusicFolderMeansTheLocalFileCannotBeOpened) {
    m_server.Enqueue(FullReply("abc"));
    Choose("X", m_server.Url("/x.mp3"));
    m_music = m_folder.Path() / "gone";

    EXPECT_EQ(Activate(), DownloadOutcome::CannotOpenLocalFile);

    EXPECT_EQ(m_report.Events(), std::vector<std::string>{"failed CannotOpenLocalFile"});
    EXPECT_FALSE(std::filesystem::exists(m_music));
}

class UnusableSongNameTest : public ActivateTrackTest,
                             public ::testing::WithParamInterface<std::string> {};

TEST_P(UnusableSongNameTest, CannotBeALocalFileAndNothingIsCreatedAnywhere) {
    m_server.Enqueue(FullReply("payload"));
    std::filesystem::create_directory(m_music / "a");
    Choose(Text(GetParam()), m_server.Url("/x.mp3"));
    const std::string outsideBefore = FolderListing(m_folder.Path());

    EXPECT_EQ(Activate(), DownloadOutcome::CannotOpenLocalFile);

    EXPECT_EQ(m_report.Events(), std::vector<std::string>{"failed CannotOpenLocalFile"});
    EXPECT_EQ(FolderListing(m_music), "a\n");
    EXPECT_EQ(FolderListing(m_music / "a"), "");
    EXPECT_EQ(FolderListing(m_folder.Path()), outsideBefore);
    EXPECT_EQ(m_server.RequestCount(), 0U);
    EXPECT_TRUE(m_player.Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Names, UnusableSongNameTest,
                         ::testing::Values("../x", "a/b", "a\\b", "a\x01z", "tab\there", "del\x7f",
                                           "", "/", std::string(250, 'n')));

TEST_F(ActivateTrackTest, AnEmptyAddressIsReportedBeforeAnUnusableName) {
    Choose("../x", "");

    EXPECT_EQ(Activate(), DownloadOutcome::CannotOpenUrl);

    EXPECT_EQ(m_report.Events(), std::vector<std::string>{"failed CannotOpenUrl"});
    EXPECT_EQ(FolderListing(m_music), "");
}

TEST_F(ActivateTrackTest, TwoRowsWithOneSongNameShareTheirFiles) {
    const std::string first = MakeBody(20000, 27);
    const std::string second = MakeBody(25000, 28);

    m_server.Enqueue(FullReply(first));
    Choose("同名"_gbk, m_server.Url("/first.mp3"));
    Activate();
    EXPECT_EQ(ReadWholeFile(MusicFile("同名.mp3")), first);

    // The second row's download replaces the first's track; a drop leaves its temporary file.
    Reply cut = FullReply(second);
    cut.cutAfterBodyBytes = 10000;
    m_server.Enqueue(cut);
    Choose("同名"_gbk, m_server.Url("/second.mp3"));
    EXPECT_EQ(Activate(), DownloadOutcome::ReadError);
    EXPECT_EQ(ReadWholeFile(MusicFile("同名.mp3.tmp")), second.substr(0, 10000));

    // Activating the first row again offers that temporary file for resumption.
    m_server.Enqueue(PartialReply(second, 10000));
    m_report.AnswerResumeWith(true);
    Choose("同名"_gbk, m_server.Url("/first.mp3"));
    EXPECT_EQ(Activate(), DownloadOutcome::Done);

    EXPECT_EQ(m_report.ResumeQuestions(), 1);
    EXPECT_EQ(m_server.Requests().back().Target(), "/first.mp3");
    EXPECT_EQ(ReadWholeFile(MusicFile("同名.mp3")), second);
    EXPECT_EQ(FolderListing(m_music), "同名.mp3\n");
}

TEST_F(ActivateTrackTest, ACancelledActivationReportsNothingAndKeepsNoTrack) {
    Choose("X", m_server.Url("/x.mp3"));
    CancellationToken cancellation;
    cancellation.Cancel();

    EXPECT_EQ(ActivateTrack(m_track, m_music, m_player, m_report, &cancellation),
              DownloadOutcome::Cancelled);

    EXPECT_TRUE(m_report.Events().empty());
    EXPECT_TRUE(m_report.Progresses().empty());
    EXPECT_EQ(FolderListing(m_music), "");
    EXPECT_EQ(m_server.RequestCount(), 0U);
}

TEST_F(ActivateTrackTest, StopPlaybackStopsThePlayer) {
    StopPlayback(m_player);

    EXPECT_EQ(m_player.Calls(), (std::vector<PlayerCall>{{PlayerCall::Kind::Stop, {}}}));
    EXPECT_TRUE(m_report.Events().empty());
}

}  // namespace
}  // namespace melvora::activation
