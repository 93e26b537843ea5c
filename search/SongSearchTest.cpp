#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "search/SongSearch.h"
#include "testing/RecordingSearchReport.h"
#include "testing/fake_service/FakeCatalogue.h"
#include "testing/fake_service/FakeMusicService.h"
#include "text/CodePage.h"

namespace melvora {
namespace {

using namespace literals;
using testing::FakeHitsFor;
using testing::FakeMusicService;
using testing::FakeServiceKnobs;
using testing::HttpRequestHead;
using testing::RecordingSearchReport;
using Row = RecordingSearchReport::Row;

constexpr auto kWaitLimit = std::chrono::seconds(20);

// A row as the fixture's catalogue defines it: UTF-8 names, the hash of hit `hashOfHit` of
// `keyword` (-1: empty), and whether the service gives that row a play address.
struct ExpectedRow {
    const char* songName;
    const char* singerName;
    int hashOfHit;
    const char* id;
    bool hasAddress;
};

class SearchSongsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.Start());
        m_endpoints.searchHost = m_service.HostAndPort();
        m_endpoints.playHost = m_service.HostAndPort();
        m_search.emplace(m_endpoints);
    }

    void Search(const Text& keyword) { m_search->SearchSongs(keyword, m_report, m_cancellation); }
    const Text& LastResponseText() const { return m_search->LastResponseText(); }

    std::string HashOf(std::string_view keyword, int hit) const {
        return hit < 0 ? std::string() : FakeHitsFor(keyword)[static_cast<size_t>(hit)].fileHash;
    }

    Row RowOf(std::string_view keyword, const ExpectedRow& row) const {
        const std::string hash = HashOf(keyword, row.hashOfHit);
        return {GbkFromUtf8(row.songName), GbkFromUtf8(row.singerName), Text(hash), Text(row.id),
                row.hasAddress
                    ? Text("http://" + m_service.HostAndPort() + "/media/" + hash + ".mp3")
                    : Text()};
    }

    std::vector<Row> RowsOf(std::string_view keyword, const std::vector<ExpectedRow>& rows) const {
        std::vector<Row> expected;
        for (const ExpectedRow& row : rows) {
            expected.push_back(RowOf(keyword, row));
        }
        return expected;
    }

    // One search request, then one play-data request per row carrying the row's hash and ID and
    // a 13-digit time value.
    void ExpectRequestsFor(const std::vector<Row>& rows) {
        const std::vector<HttpRequestHead> requests = m_service.Requests();
        ASSERT_EQ(requests.size(), rows.size() + 1);
        EXPECT_TRUE(requests[0].target.starts_with("/song_search_v2?&keyword="))
            << requests[0].target;
        for (size_t r = 0; r < rows.size(); ++r) {
            const std::string& target = requests[r + 1].target;
            const std::string prefix = "/yy/index.php?r=play/getdata&hash=" + rows[r][2].str() +
                                       "&album_id=" + rows[r][3].str() + "&_=";
            ASSERT_TRUE(target.starts_with(prefix)) << "row " << r << ": " << target;
            const std::string stamp = target.substr(prefix.size());
            EXPECT_EQ(stamp.size(), 13U) << target;
            EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos) << target;
            EXPECT_TRUE(stamp.ends_with("000")) << target;
            EXPECT_EQ(requests[r + 1].method, "GET");
        }
    }

    FakeMusicService m_service;
    RecordingSearchReport m_report;
    Endpoints m_endpoints;
    std::optional<SongSearch> m_search;
    CancellationToken m_cancellation;
};

TEST_F(SearchSongsTest, FillsEveryCellOfEveryRowAndCountsThem) {
    Search("demo");

    const std::vector<Row> expected =
        RowsOf("demo", {
                           {"Demo 晴空", "林夏", 0, "103880178", true},
                           {"夜曲 (Demo)", "陈默", 1, "103880179", true},
                           {"Morning Demo", "The Loopbacks", 2, "103880180", true},
                           {"海边的Demo", "苏小雨、陈默", 3, "103880181", true},
                           {"Demo Tape No.5", "Fake Band", 4, "103880182", true},
                           {"城市灯火", "Demo乐队", 5, "103880183", true},
                       });
    EXPECT_EQ(m_report.Rows(), expected);
    EXPECT_EQ(m_report.Counts(), std::vector<int32_t>{6});
    ExpectRequestsFor(expected);
}

TEST_F(SearchSongsTest, KeepsTheReplyInGbkAsTheLastResponseText) {
    Search("demo");
    EXPECT_EQ(LastResponseText(), GbkFromUtf8(testing::SearchReplyBody("demo")));
    EXPECT_NE(LastResponseText().view().find("晴空"_gbk.view()), std::string_view::npos);
}

TEST_F(SearchSongsTest, ListsEachHitBeforeItsAddressAndTheCountOnlyAtTheEnd) {
    // Row 0 is listed before its play data is asked for: the service has seen only the search.
    std::vector<size_t> requestsWhenListed;
    m_report.BeforeEachCall([&](const std::string& call) {
        if (call.starts_with("hit ")) {
            requestsWhenListed.push_back(m_service.Requests().size());
        }
    });
    Search("shift");

    EXPECT_EQ(m_report.Calls(),
              (std::vector<std::string>{"started", "hit 0", "address 0", "hit 1", "address 1",
                                        "hit 2", "address 2", "finished 3"}));
    EXPECT_EQ(requestsWhenListed, (std::vector<size_t>{1, 2, 3}));
}

struct KeywordCase {
    const char* name;
    const char* keyword;
    std::vector<ExpectedRow> rows;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const KeywordCase& c, std::ostream* out) {
    *out << c.name;
}

class SearchSongsRowsTest : public SearchSongsTest,
                            public ::testing::WithParamInterface<KeywordCase> {};

TEST_P(SearchSongsRowsTest, FormsRowsByPositionOfEachPatternsMatches) {
    Search(GetParam().keyword);
    const std::vector<Row> expected = RowsOf(GetParam().keyword, GetParam().rows);
    EXPECT_EQ(m_report.Rows(), expected);
    EXPECT_EQ(m_report.Counts(),
              std::vector<int32_t>{static_cast<int32_t>(GetParam().rows.size())});
    ExpectRequestsFor(expected);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, SearchSongsRowsTest,
    ::testing::Values(
        // The second hit has no FileHash key (only HQFileHash): later hashes move up a row and
        // the last row's play data goes out with an empty hash.
        KeywordCase{"missingFileHashShiftsTheColumn",
                    "shift",
                    {{"Alpha", "Ann", 0, "301", true},
                     {"Beta", "Bob", 2, "302", true},
                     {"Gamma", "Cid", -1, "303", false}}},
        // OriSongName ends in SongName and makes a row of its own; the other columns run out.
        KeywordCase{"oriSongNameAddsARow",
                    "orisong",
                    {{"Cover", "Dee", 0, "401", true},
                     {"Original", "Eve", 1, "402", true},
                     {"Plain", "", -1, "", false}}},
        // An escaped quote ends the value after its backslash; \u and \/ escapes stay as written;
        // capital tags go; lower-case keys match.
        KeywordCase{"repliesAreNotDecodedAsJson",
                    "quirks",
                    {{"Say \\", "\\u5468\\u6770\\u4f26", 0, "501", true},
                     {"Loud Song", "AC\\/DC", 1, "502", true},
                     {"quiet", "nobody", 2, "503", true}}},
        // Refused play data (20010), no data (30020) and an empty play_url give empty addresses.
        KeywordCase{"refusedPlayDataLeavesTheAddressEmpty",
                    "restricted",
                    {{"Free", "Fay", 0, "601", true},
                     {"Refused", "Gus", 1, "602", false},
                     {"Gone", "Hal", 2, "603", false},
                     {"Blank", "Ivy", 3, "604", false}}}),
    [](const ::testing::TestParamInfo<KeywordCase>& info) { return info.param.name; });

TEST_F(SearchSongsTest, FillsAFullPageOfThirty) {
    Search("thirty");
    const std::vector<Row> rows = m_report.Rows();
    ASSERT_EQ(rows.size(), 30U);
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::string number = (r < 9 ? "0" : "") + std::to_string(r + 1);
        EXPECT_EQ(rows[r][0], Text("Track " + number));
        EXPECT_EQ(rows[r][3], Text(std::to_string(200001 + r)));
    }
    EXPECT_EQ(m_report.Counts(), std::vector<int32_t>{30});
    ExpectRequestsFor(rows);
}

struct WireCase {
    const char* name;
    Text keyword;
    const char* keywordOnTheWire;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const WireCase& c, std::ostream* out) {
    *out << c.name;
}

class SearchSongsWireTest : public SearchSongsTest,
                            public ::testing::WithParamInterface<WireCase> {};

TEST_P(SearchSongsWireTest, SendsTheKeywordAsTheHttpClientPutsItOnTheWire) {
    Search(GetParam().keyword);
    const std::vector<HttpRequestHead> requests = m_service.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].target,
              std::string("/song_search_v2?&keyword=") + GetParam().keywordOnTheWire +
                  "&page=1&pagesize=30&userid=-1&clientver=&platform=WebFilter&tag=em&filter=2"
                  "&iscorrection=1&privilege_filter=0");
    EXPECT_EQ(requests.size(), 1U);
    EXPECT_EQ(m_report.Counts(), std::vector<int32_t>{0});
}

INSTANTIATE_TEST_SUITE_P(Keywords, SearchSongsWireTest,
                         ::testing::Values(WireCase{"chineseGoesAsUtf8Escapes", "周杰伦"_gbk,
                                                    "%E5%91%A8%E6%9D%B0%E4%BC%A6"},
                                           WireCase{"blankIsEscaped", "love song", "love%20song"},
                                           WireCase{"ampersandStartsAParameter", "a&b=c", "a&b=c"},
                                           WireCase{"emptyKeyword", "", ""}),
                         [](const ::testing::TestParamInfo<WireCase>& info) {
                             return info.param.name;
                         });

TEST_F(SearchSongsTest, AnErrorReplyGivesNoRows) {
    Search("error");
    EXPECT_TRUE(m_report.Rows().empty());
    EXPECT_EQ(m_report.Counts(), std::vector<int32_t>{0});
    EXPECT_EQ(m_service.Requests().size(), 1U);
}

TEST_F(SearchSongsTest, AServiceThatIsDownGivesNoRowsAndAnEmptyResponseText) {
    Search("demo");
    ASSERT_FALSE(LastResponseText().empty());
    m_service.Stop();
    Search("demo");
    EXPECT_TRUE(m_report.Rows().empty());
    EXPECT_EQ(LastResponseText(), Text());
    EXPECT_EQ(m_report.Counts(), (std::vector<int32_t>{6, 0}));
}

TEST_F(SearchSongsTest, ANotFoundAnswerGivesNoRows) {
    m_service.SetKnobs({.answerNotFound = true});
    Search("demo");
    EXPECT_TRUE(m_report.Rows().empty());
    EXPECT_EQ(m_report.Counts(), std::vector<int32_t>{0});
}

TEST_F(SearchSongsTest, CancelledBetweenStepsItAddsNothingMore) {
    // The newer search takes over while row 1 is listed, before its play data is asked for.
    m_report.BeforeEachCall([this](const std::string& call) {
        if (call == "hit 1") {
            m_cancellation.Cancel();
        }
    });
    Search("demo");

    const std::vector<std::string> calls = m_report.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "hit 1");
    EXPECT_EQ(m_report.RowCount(), 2);
    EXPECT_TRUE(m_report.Counts().empty());
    // The search request and row 0's play data; row 1's never went out.
    EXPECT_EQ(m_service.Requests().size(), 2U);
}

TEST_F(SearchSongsTest, CancelledBeforeItStartsItTouchesNothing) {
    m_cancellation.Cancel();
    Search("demo");
    EXPECT_TRUE(m_report.Calls().empty());
    EXPECT_TRUE(m_service.Requests().empty());
}

TEST_F(SearchSongsTest, CancelledInsideItsRequestItStopsWithoutTheReply) {
    Search("shift");
    const Text previousReply = LastResponseText();
    ASSERT_FALSE(previousReply.empty());
    // Far longer than the search could wait for, so only the token can end its request.
    m_service.SetKnobs({.delay = std::chrono::seconds(60)});
    std::thread task([this] { Search("demo"); });
    ASSERT_TRUE(m_service.WaitForRequests(5, kWaitLimit));
    m_cancellation.Cancel();
    task.join();

    // Only the earlier search's four replies went out.
    EXPECT_EQ(m_service.RepliesSent(), 4U);
    EXPECT_TRUE(m_report.Rows().empty());
    EXPECT_EQ(m_report.Counts(), std::vector<int32_t>{3});
    EXPECT_EQ(LastResponseText(), previousReply);
}

TEST_F(SearchSongsTest, ANewerSearchLeavesOnlyItsOwnRows) {
    // Row 1's play data of the older search hangs; everything else answers at once.
    std::atomic<bool> hangArmed = true;
    m_report.BeforeEachCall([&](const std::string& call) {
        if (hangArmed && call == "hit 1") {
            hangArmed = false;
            m_service.SetKnobs({.delay = std::chrono::seconds(60)});
        }
    });
    CancellationToken olderToken;
    SongSearch olderSearch(m_endpoints);
    std::jthread older([&] { olderSearch.SearchSongs("demo", m_report, olderToken); });
    ASSERT_TRUE(m_service.WaitForRequests(3, kWaitLimit));
    ASSERT_EQ(m_report.RowCount(), 2);

    // What the window does for a new search: cancel the running one, start the next at once.
    olderToken.Cancel();
    m_service.SetKnobs({});
    Search("shift");
    older.join();

    EXPECT_EQ(m_report.Rows(), RowsOf("shift", {{"Alpha", "Ann", 0, "301", true},
                                                {"Beta", "Bob", 2, "302", true},
                                                {"Gamma", "Cid", -1, "303", false}}));
    EXPECT_EQ(m_report.Counts(), std::vector<int32_t>{3});
    // Each search keeps its own reply.
    EXPECT_EQ(LastResponseText(), GbkFromUtf8(testing::SearchReplyBody("shift")));
    EXPECT_EQ(olderSearch.LastResponseText(), GbkFromUtf8(testing::SearchReplyBody("demo")));
}

}  // namespace
}  // namespace melvora
