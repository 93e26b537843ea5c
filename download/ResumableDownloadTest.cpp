#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <ostream>
#include <thread>

#include "download/DownloadTestSupport.h"
#include "download/ResumableDownload.h"
#include "testing/InMemoryControls.h"
#include "testing/LoopbackServer.h"

namespace melvora::download {
namespace {

using namespace literals;
using testing::LoopbackServer;
using testing::Reply;
using namespace test;

constexpr std::chrono::seconds kWait{10};

Reply StatusReply(int status, std::string reason, std::string body,
                  std::vector<std::pair<std::string, std::string>> headers = {}) {
    Reply reply;
    reply.status = status;
    reply.reason = std::move(reason);
    reply.body = std::move(body);
    reply.headers = std::move(headers);
    return reply;
}

struct ProgressCall {
    int32_t contentLength;
    int32_t downloaded;
};

class ResumableDownloadTest : public ::testing::Test {
protected:
    int32_t Download(const std::string& address, int32_t offset, ResumeMode mode,
                     const CancellationToken* cancellation = nullptr) {
        return ResumableDownload(
            m_controls, Text(address), m_file,
            [this](int32_t contentLength, int32_t downloaded) {
                m_progress.push_back({contentLength, downloaded});
            },
            offset, mode, cancellation);
    }

    // The texts of every message box shown, each checked for the default caption and style 0.
    std::vector<Text> MessageTexts() {
        std::vector<Text> texts;
        for (const auto& message : m_controls.Messages()) {
            EXPECT_EQ(message.caption, "信息："_gbk);
            EXPECT_EQ(message.style, kMessageBoxOk);
            texts.push_back(message.text);
        }
        return texts;
    }

    // Every call reports the content length, and the downloaded figure climbs from `start` to
    // `end` in blocks of 1 to 10240 bytes.
    void ExpectProgressFromTo(int64_t start, int64_t end, int32_t contentLength) {
        ASSERT_FALSE(m_progress.empty());
        int64_t previous = start;
        for (const auto& call : m_progress) {
            EXPECT_EQ(call.contentLength, contentLength);
            const int64_t step = call.downloaded - previous;
            EXPECT_GT(step, 0);
            EXPECT_LE(step, 10240);
            previous = call.downloaded;
        }
        EXPECT_EQ(previous, end);
    }

    ScratchFolder m_folder;
    std::filesystem::path m_file = m_folder.Path() / "song.mp3.tmp";
    LoopbackServer m_server;
    testing::InMemoryControls m_controls;
    std::vector<ProgressCall> m_progress;
};

TEST_F(ResumableDownloadTest, FreshDownloadSendsTheExactHeaderBlockAndWritesTheBody) {
    const std::string body = MakeBody(100000, 1);
    m_server.Enqueue(FullReply(body));

    ASSERT_EQ(Download(m_server.Url("/a/song.mp3?x=1"), 777, ResumeMode::Fresh), 0);

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].raw,
              ExpectedRequest(m_server.HostPort(), "/a/song.mp3?x=1", kDownloadHeaderBlock));
    EXPECT_EQ(ReadWholeFile(m_file), body);
    EXPECT_TRUE(MessageTexts().empty());
    ExpectProgressFromTo(0, 100000, 100000);
}

TEST_F(ResumableDownloadTest, ResumeSendsTheRangeLineAndAppendsThePartialReply) {
    const std::string body = MakeBody(50000, 2);
    WriteWholeFile(m_file, body.substr(0, 12345));
    m_server.Enqueue(PartialReply(body, 12345));

    ASSERT_EQ(Download(m_server.Url("/song.mp3"), 12345, ResumeMode::Continue), 0);

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].raw,
              ExpectedRequest(m_server.HostPort(), "/song.mp3",
                              std::string(kDownloadHeaderBlock) + "\r\nRange:bytes=12345-"));
    EXPECT_EQ(ReadWholeFile(m_file), body);
    // The downloaded figure includes the bytes already there; the size is the reply's own.
    ExpectProgressFromTo(12345, 50000, 50000 - 12345);
}

TEST_F(ResumableDownloadTest, ResumeAtOffsetZeroAsksForByteZeroOn) {
    const std::string body = MakeBody(3000, 3);
    WriteWholeFile(m_file, "");
    m_server.Enqueue(PartialReply(body, 0));

    ASSERT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Continue), 0);

    ASSERT_EQ(m_server.RequestCount(), 1U);
    EXPECT_EQ(m_server.Requests()[0].Header("Range"), "bytes=0-");
    EXPECT_EQ(ReadWholeFile(m_file), body);
}

TEST_F(ResumableDownloadTest, AFullReplyToARangeRequestStartsTheFileOver) {
    const std::string body = MakeBody(30000, 4);
    WriteWholeFile(m_file, std::string(20000, 'x'));
    m_server.Enqueue(FullReply(body));

    ASSERT_EQ(Download(m_server.Url("/s"), 20000, ResumeMode::Continue), 0);

    EXPECT_EQ(ReadWholeFile(m_file), body);
    ExpectProgressFromTo(0, 30000, 30000);
}

TEST_F(ResumableDownloadTest, UnsatisfiableRangeOnACompleteFileSucceedsWithoutWriting) {
    const std::string body = MakeBody(4000, 5);
    WriteWholeFile(m_file, body);
    m_server.Enqueue(StatusReply(416, "Range Not Satisfiable", "<html>no</html>",
                                 {{"Content-Range", "bytes */4000"}}));

    EXPECT_EQ(Download(m_server.Url("/s"), 4000, ResumeMode::Continue), 0);

    EXPECT_EQ(ReadWholeFile(m_file), body);
    EXPECT_TRUE(m_progress.empty());
    EXPECT_TRUE(MessageTexts().empty());
}

struct RefusedReplyCase {
    const char* name;
    ResumeMode mode;
    int status;
    const char* contentRange;
};

void PrintTo(const RefusedReplyCase& c, std::ostream* out) {
    *out << c.name;
}

class RefusedReplyTest : public ResumableDownloadTest,
                         public ::testing::WithParamInterface<RefusedReplyCase> {};

TEST_P(RefusedReplyTest, LeavesTheFileUntouchedAndSaysTheAddressCannotBeOpened) {
    const RefusedReplyCase& c = GetParam();
    const std::string kept = MakeBody(5000, 6);
    WriteWholeFile(m_file, kept);
    std::vector<std::pair<std::string, std::string>> headers;
    if (*c.contentRange != '\0') {
        headers.emplace_back("Content-Range", c.contentRange);
    }
    m_server.Enqueue(StatusReply(c.status, "Nope", "<html>error page</html>", headers));

    EXPECT_EQ(Download(m_server.Url("/s"), 5000, c.mode), -1);

    EXPECT_EQ(ReadWholeFile(m_file), kept);
    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
    EXPECT_TRUE(m_progress.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, RefusedReplyTest,
    ::testing::Values(
        RefusedReplyCase{"FreshNotFound", ResumeMode::Fresh, 404, ""},
        RefusedReplyCase{"FreshServerError", ResumeMode::Fresh, 500, ""},
        RefusedReplyCase{"ResumeNotFound", ResumeMode::Continue, 404, ""},
        RefusedReplyCase{"ResumeForbidden", ResumeMode::Continue, 403, ""},
        RefusedReplyCase{"ResumeUnsatisfiableOtherLength", ResumeMode::Continue, 416,
                         "bytes */9000"},
        RefusedReplyCase{"ResumePartialElsewhere", ResumeMode::Continue, 206, "bytes 0-99/100"},
        RefusedReplyCase{"ResumeRedirectWithoutTarget", ResumeMode::Continue, 302, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResumableDownloadTest, NotFoundOnAFreshDownloadCreatesNoFile) {
    m_server.Enqueue(StatusReply(404, "Not Found", "<html>gone</html>"));

    EXPECT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), -1);

    EXPECT_FALSE(std::filesystem::exists(m_file));
    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
}

class UnusableAddressTest : public ResumableDownloadTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(UnusableAddressTest, IsRefusedBeforeTheFileIsTouched) {
    const std::string secret = MakeBody(100, 7);
    const auto elsewhere = m_folder.Path() / "secret";
    WriteWholeFile(elsewhere, secret);
    WriteWholeFile(m_file, "kept");
    std::string address = GetParam();
    if (address.find("%s") != std::string::npos) {
        address.replace(address.find("%s"), 2, elsewhere.string());
    }

    EXPECT_EQ(Download(address, 4, ResumeMode::Continue), -1);

    EXPECT_EQ(ReadWholeFile(m_file), "kept");
    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
    EXPECT_EQ(m_server.RequestCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Addresses, UnusableAddressTest,
                         ::testing::Values("file://%s", "FILE://%s", "ftp://127.0.0.1/x", "",
                                           "not a url", "127.0.0.1/song.mp3", "http://",
                                           "gopher://127.0.0.1/x"));

TEST_F(ResumableDownloadTest, AnAddressNobodyListensOnCannotBeOpened) {
    const std::string address = m_server.Url("/s");
    m_server.Stop();

    EXPECT_EQ(Download(address, 0, ResumeMode::Fresh), -1);

    EXPECT_FALSE(std::filesystem::exists(m_file));
    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
}

TEST_F(ResumableDownloadTest, RedirectsAreFollowedWithTheSameHeaders) {
    const std::string body = MakeBody(20000, 8);
    WriteWholeFile(m_file, body.substr(0, 500));
    m_server.Enqueue(Reply::Redirect(302, m_server.Url("/elsewhere.mp3")));
    m_server.Enqueue(PartialReply(body, 500));

    ASSERT_EQ(Download(m_server.Url("/s"), 500, ResumeMode::Continue), 0);

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[1].raw,
              ExpectedRequest(m_server.HostPort(), "/elsewhere.mp3",
                              std::string(kDownloadHeaderBlock) + "\r\nRange:bytes=500-"));
    EXPECT_EQ(ReadWholeFile(m_file), body);
}

TEST_F(ResumableDownloadTest, ARedirectToALocalFileIsRefused) {
    const auto elsewhere = m_folder.Path() / "secret";
    WriteWholeFile(elsewhere, "secret");
    m_server.Enqueue(Reply::Redirect(302, "file://" + elsewhere.string()));

    EXPECT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), -1);

    EXPECT_FALSE(std::filesystem::exists(m_file));
    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开该URL!"_gbk});
}

TEST_F(ResumableDownloadTest, ADroppedConnectionIsAFailedReadThatKeepsTheBytes) {
    const std::string body = MakeBody(60000, 9);
    Reply reply = FullReply(body);
    reply.cutAfterBodyBytes = 25000;
    m_server.Enqueue(reply);

    EXPECT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), -1);

    EXPECT_EQ(ReadWholeFile(m_file), body.substr(0, 25000));
    EXPECT_EQ(MessageTexts(), std::vector<Text>{"读文件出错!"_gbk});
    ExpectProgressFromTo(0, 25000, 60000);
}

TEST_F(ResumableDownloadTest, AnEmptyBodyEmptiesAFreshFileWithoutProgress) {
    WriteWholeFile(m_file, "old bytes");
    m_server.Enqueue(FullReply(""));

    EXPECT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), 0);

    EXPECT_TRUE(std::filesystem::exists(m_file));
    EXPECT_EQ(ReadWholeFile(m_file), "");
    EXPECT_TRUE(m_progress.empty());
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(ResumableDownloadTest, AnEmptyBodyCreatesAMissingFreshFile) {
    m_server.Enqueue(FullReply(""));

    EXPECT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), 0);

    EXPECT_TRUE(std::filesystem::is_regular_file(m_file));
    EXPECT_EQ(std::filesystem::file_size(m_file), 0U);
}

TEST_F(ResumableDownloadTest, AnEmptyBodyLeavesAResumedFileUnchanged) {
    WriteWholeFile(m_file, "partial");
    m_server.Enqueue(FullReply(""));

    EXPECT_EQ(Download(m_server.Url("/s"), 7, ResumeMode::Continue), 0);

    EXPECT_EQ(ReadWholeFile(m_file), "partial");
    EXPECT_TRUE(m_progress.empty());
}

TEST_F(ResumableDownloadTest, AReplyWithoutContentLengthShowsSizeZero) {
    const std::string body = MakeBody(25000, 10);
    Reply reply = FullReply(body);
    reply.addContentLength = false;
    reply.closeAfterReply = true;
    m_server.Enqueue(reply);

    ASSERT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), 0);

    EXPECT_EQ(ReadWholeFile(m_file), body);
    ExpectProgressFromTo(0, 25000, 0);
}

TEST_F(ResumableDownloadTest, AChunkedBodyIsWrittenDecodedFromTheChunking) {
    const std::string body = MakeBody(15000, 11);
    std::string raw = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    char size[16];
    std::snprintf(size, sizeof size, "%zx", body.size());
    raw += std::string(size) + "\r\n" + body + "\r\n0\r\nX-Trailer: 1\r\n\r\n";
    m_server.Enqueue(Reply::Raw(raw));

    ASSERT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), 0);

    EXPECT_EQ(ReadWholeFile(m_file), body);
}

TEST_F(ResumableDownloadTest, AMissingFolderMeansTheLocalFileCannotBeOpened) {
    m_file = m_folder.Path() / "no such folder" / "song.mp3.tmp";
    m_server.Enqueue(FullReply(MakeBody(100, 12)));

    EXPECT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh), -1);

    EXPECT_EQ(MessageTexts(), std::vector<Text>{"不能打开本地的文件!"_gbk});
}

TEST_F(ResumableDownloadTest, TheSystemProxySettingsApply) {
    // The loopback server stands in for a proxy: it receives the absolute address.
    const std::string body = MakeBody(5000, 13);
    m_server.Enqueue(FullReply(body));
    const char* savedNoProxy = getenv("no_proxy");
    const std::string saved = savedNoProxy != nullptr ? savedNoProxy : "";
    setenv("http_proxy", m_server.Url("").c_str(), 1);
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");

    const int32_t result = Download("http://music.example/track.mp3", 0, ResumeMode::Fresh);

    unsetenv("http_proxy");
    if (savedNoProxy != nullptr) {
        setenv("no_proxy", saved.c_str(), 1);
    }
    ASSERT_EQ(result, 0);
    ASSERT_EQ(m_server.RequestCount(), 1U);
    EXPECT_EQ(m_server.Requests()[0].Target(), "http://music.example/track.mp3");
    EXPECT_EQ(ReadWholeFile(m_file), body);
}

TEST_F(ResumableDownloadTest, ACancelledTokenStopsBeforeAnyRequest) {
    CancellationToken cancellation;
    cancellation.Cancel();

    EXPECT_EQ(Download(m_server.Url("/s"), 0, ResumeMode::Fresh, &cancellation), -1);

    EXPECT_EQ(m_server.RequestCount(), 0U);
    EXPECT_TRUE(m_controls.Messages().empty());
}

TEST_F(ResumableDownloadTest, CancellingAStalledDownloadEndsItQuietlyKeepingTheBytes) {
    const std::string body = MakeBody(40000, 14);
    Reply reply = FullReply(body);
    reply.cutAfterBodyBytes = 15000;
    reply.stallAfterCut = true;
    m_server.Enqueue(reply);
    CancellationToken cancellation;
    std::thread canceller([&] {
        m_server.WaitForRepliesSent(1, kWait);
        cancellation.Cancel();
    });

    const int32_t result = Download(m_server.Url("/s"), 0, ResumeMode::Fresh, &cancellation);
    canceller.join();

    EXPECT_EQ(result, -1);
    EXPECT_TRUE(m_controls.Messages().empty());
    // Whatever arrived before the cancellation is on the disk, ready for a resume.
    const std::string written = ReadWholeFile(m_file);
    EXPECT_LE(written.size(), 15000U);
    EXPECT_EQ(written, body.substr(0, written.size()));
}

}  // namespace
}  // namespace melvora::download
