// The fake service's own behaviour, checked over a raw socket so that no client of ours decides
// what is seen: byte ranges, the misbehaviour knobs and the reply shapes the search relies on.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <string>

#include "testing/fake_service/FakeCatalogue.h"
#include "testing/fake_service/FakeMusicService.h"
#include "testing/fake_service/UniqueFd.h"

namespace melvora::testing {
namespace {

struct RawReply {
    std::string head;
    std::string body;
};

class FakeMusicServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.Start()); }

    // Sends one request and reads until the service closes the connection.
    RawReply Get(const std::string& target, const std::string& extraHeaders = "") {
        UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(m_service.Port());
        EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address),
                  0);
        const std::string request =
            "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
        EXPECT_EQ(::send(fd.Get(), request.data(), request.size(), 0),
                  static_cast<ssize_t>(request.size()));
        std::string received;
        char buffer[8192];
        for (ssize_t got; (got = ::recv(fd.Get(), buffer, sizeof buffer, 0)) > 0;) {
            received.append(buffer, static_cast<size_t>(got));
        }
        const size_t headEnd = received.find("\r\n\r\n");
        if (headEnd == std::string::npos) {
            return {received, {}};
        }
        return {received.substr(0, headEnd + 2), received.substr(headEnd + 4)};
    }

    FakeMusicService m_service;
};

TEST_F(FakeMusicServiceTest, ServesTheWholeTrackWithItsLength) {
    const RawReply reply = Get("/media/ABC.mp3");
    EXPECT_TRUE(reply.head.starts_with("HTTP/1.1 200 OK\r\n")) << reply.head;
    EXPECT_NE(reply.head.find("Content-Length: " + std::to_string(m_service.MediaBytes().size())),
              std::string::npos);
    EXPECT_EQ(reply.body, m_service.MediaBytes());
    // An MP3 frame sync or an ID3 tag at the start: real audio, not a placeholder.
    ASSERT_GE(reply.body.size(), 2U);
    EXPECT_TRUE(reply.body.starts_with("ID3") ||
                (static_cast<unsigned char>(reply.body[0]) == 0xFF &&
                 (static_cast<unsigned char>(reply.body[1]) & 0xE0) == 0xE0));
}

TEST_F(FakeMusicServiceTest, AnswersAnOpenRangeWithPartialContent) {
    const std::string& media = m_service.MediaBytes();
    const RawReply reply = Get("/media/ABC.mp3", "Range: bytes=100-\r\n");
    EXPECT_TRUE(reply.head.starts_with("HTTP/1.1 206 Partial Content\r\n")) << reply.head;
    EXPECT_NE(reply.head.find("Content-Range: bytes 100-" + std::to_string(media.size() - 1) + "/" +
                              std::to_string(media.size()) + "\r\n"),
              std::string::npos)
        << reply.head;
    EXPECT_EQ(reply.body, media.substr(100));
}

TEST_F(FakeMusicServiceTest, AnswersARangeFromTheEndWith416) {
    const std::string size = std::to_string(m_service.MediaBytes().size());
    const RawReply reply = Get("/media/ABC.mp3", "Range: bytes=" + size + "-\r\n");
    EXPECT_TRUE(reply.head.starts_with("HTTP/1.1 416 ")) << reply.head;
    EXPECT_NE(reply.head.find("Content-Range: bytes */" + size + "\r\n"), std::string::npos);
    EXPECT_TRUE(reply.body.empty());
}

TEST_F(FakeMusicServiceTest, IgnoresTheRangeWhenAskedTo) {
    m_service.SetKnobs({.ignoreRange = true});
    const RawReply reply = Get("/media/ABC.mp3", "Range: bytes=100-\r\n");
    EXPECT_TRUE(reply.head.starts_with("HTTP/1.1 200 OK\r\n")) << reply.head;
    EXPECT_EQ(reply.body, m_service.MediaBytes());
}

TEST_F(FakeMusicServiceTest, DropsTheConnectionAfterTheGivenBodyBytes) {
    m_service.SetKnobs({.dropAfterBodyBytes = 1000});
    const RawReply reply = Get("/media/ABC.mp3");
    // The header still promises the whole file.
    EXPECT_NE(reply.head.find("Content-Length: " + std::to_string(m_service.MediaBytes().size())),
              std::string::npos);
    EXPECT_EQ(reply.body, m_service.MediaBytes().substr(0, 1000));
}

TEST_F(FakeMusicServiceTest, AnArmedDropCutsOnlyTheNextDownloadOfThatTrack) {
    const std::string& media = m_service.MediaBytes();
    m_service.ArmMediaDrop("ABC", 1000);
    // Neither another track nor the play data of this one uses the drop up.
    EXPECT_EQ(Get("/media/OTHER.mp3").body, media);
    EXPECT_TRUE(Get("/yy/index.php?r=play/getdata&hash=ABC&album_id=1&_=1")
                    .head.starts_with("HTTP/1.1 200 OK\r\n"));

    const RawReply cut = Get("/media/ABC.mp3");
    EXPECT_NE(cut.head.find("Content-Length: " + std::to_string(media.size())), std::string::npos);
    EXPECT_EQ(cut.body, media.substr(0, 1000));
    EXPECT_EQ(Get("/media/ABC.mp3", "Range: bytes=1000-\r\n").body, media.substr(1000));
    EXPECT_EQ(Get("/media/ABC.mp3").body, media);
}

TEST_F(FakeMusicServiceTest, AnswersEverythingWith404WhenAskedTo) {
    m_service.SetKnobs({.answerNotFound = true});
    EXPECT_TRUE(Get("/song_search_v2?&keyword=demo").head.starts_with("HTTP/1.1 404 "));
    EXPECT_TRUE(Get("/media/ABC.mp3").head.starts_with("HTTP/1.1 404 "));
}

TEST_F(FakeMusicServiceTest, PointsThePlayAddressAtItselfWithEscapedSlashes) {
    const std::string hash = FakeHitsFor(kDemoKeyword)[0].fileHash;
    const RawReply reply =
        Get("/yy/index.php?r=play/getdata&hash=" + hash + "&album_id=103880178&_=1000");
    EXPECT_NE(reply.body.find("\"play_url\":\"http:\\/\\/127.0.0.1:" +
                              std::to_string(m_service.Port()) + "\\/media\\/" + hash + ".mp3\""),
              std::string::npos)
        << reply.body;
}

TEST_F(FakeMusicServiceTest, RefusesPlayDataInTheServicesErrorForms) {
    EXPECT_EQ(
        Get("/yy/index.php?r=play/getdata&hash=" + std::string(kRefusedHash) + "&album_id=1&_=1")
            .body,
        R"({"status":0,"err_code":20010,"data":[]})");
    EXPECT_EQ(
        Get("/yy/index.php?r=play/getdata&hash=" + std::string(kNoDataHash) + "&album_id=1&_=1")
            .body,
        R"({"status":0,"err_code":30020,"data":{}})");
}

TEST_F(FakeMusicServiceTest, DecodesTheKeywordAndRecordsTheRequestLine) {
    const std::string target = "/song_search_v2?&keyword=%E5%91%A8&page=1";
    const RawReply reply = Get(target);
    EXPECT_NE(reply.body.find("\"lists\":[]"), std::string::npos);
    ASSERT_EQ(m_service.Requests().size(), 1U);
    EXPECT_EQ(m_service.Requests()[0].target, target);
    EXPECT_EQ(KeywordOfTarget(target), "周");
    EXPECT_EQ(KeywordOfTarget("/song_search_v2?&keyword=a&b=c&page=1"), "a");
}

TEST_F(FakeMusicServiceTest, GivesTheErrorReplyForTheErrorKeyword) {
    EXPECT_EQ(Get("/song_search_v2?&keyword=error&page=1").body,
              R"({"status":0,"error_code":20028,"data":{"lists":[]}})");
}

TEST_F(FakeMusicServiceTest, PointsTheLocalFileHashAtAFileAddress) {
    const RawReply reply =
        Get("/yy/index.php?r=play/getdata&hash=" + std::string(kLocalFileHash) + "&album_id=1&_=1");
    EXPECT_NE(reply.body.find(R"("play_url":"file:\/\/\/etc\/passwd")"), std::string::npos)
        << reply.body;
}

TEST_F(FakeMusicServiceTest, RedirectsOneTrackToALocalFile) {
    const RawReply reply = Get("/media/" + std::string(kRedirectToFileHash) + ".mp3");
    EXPECT_TRUE(reply.head.starts_with("HTTP/1.1 302 Found\r\n")) << reply.head;
    EXPECT_NE(reply.head.find("\r\nLocation: file:///etc/passwd\r\n"), std::string::npos)
        << reply.head;
}

TEST_F(FakeMusicServiceTest, HostileRepliesHaveTheirPromisedShape) {
    const RawReply huge = Get("/song_search_v2?&keyword=huge&page=1");
    EXPECT_EQ(huge.body.size(), kHugeReplyBytes);
    EXPECT_NE(huge.body.find("\"SongName\":\"Needle\""), std::string::npos);
    EXPECT_TRUE(huge.body.ends_with("\"}"));

    const RawReply junk = Get("/song_search_v2?&keyword=junk&page=1");
    EXPECT_EQ(junk.body.size(), kJunkReplyBytes);
    EXPECT_EQ(junk.body, Get("/song_search_v2?&keyword=junk&page=1").body) << "not repeatable";
    EXPECT_EQ(junk.body.find("SongName"), std::string::npos);
    EXPECT_NE(junk.body.find('\0'), std::string::npos);

    const RawReply nul = Get("/song_search_v2?&keyword=nul&page=1");
    const size_t nulAt = nul.body.find('\0');
    ASSERT_NE(nulAt, std::string::npos);
    EXPECT_LT(nul.body.find("Before Two"), nulAt);
    EXPECT_GT(nul.body.find("After"), nulAt);

    const RawReply bigHead = Get("/song_search_v2?&keyword=bighead&page=1");
    EXPECT_GE(bigHead.head.size(), kHugeHeadBytes);
    EXPECT_LT(bigHead.head.size(), kHugeHeadBytes + 1024);
    EXPECT_NE(bigHead.body.find("\"SongName\":\"Long Lines\""), std::string::npos);

    const RawReply names = Get("/song_search_v2?&keyword=hostile&page=1");
    EXPECT_NE(names.body.find("\"SongName\":\"../../x\""), std::string::npos);
    EXPECT_NE(names.body.find("\"SongName\":\"Bell\x07Ring\""), std::string::npos);
}

TEST(FakeCatalogue, HasAFullPageForTheBenchmarkAndSeveralDemoHits) {
    EXPECT_EQ(FakeHitsFor(kThirtyKeyword).size(), 30U);
    EXPECT_GE(FakeHitsFor(kDemoKeyword).size(), 5U);
    EXPECT_TRUE(FakeHitsFor("no such keyword").empty());
}

}  // namespace
}  // namespace melvora::testing
