// The search as a user runs it: keyword typed into 搜索框, Enter, rows in 歌曲超级列表框 and the
// count in 状态条1, with the real window, the real search and the real HTTP client against the
// fake music service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QThread>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "app/tests/QtTestSupport.h"
#include "docking/NullWindowSystem.h"
#include "download/RecordingPlayer.h"
#include "testing/fake_service/FakeCatalogue.h"
#include "testing/fake_service/FakeMusicService.h"

namespace melvora {
namespace {

using testing::FakeHit;
using testing::FakeHitsFor;
using testing::FakeMusicService;
using testing::HttpRequestHead;
using Row = std::array<std::string, 5>;

// A generous guard against hanging, not a measurement.
bool ProcessEventsUntil(const std::function<bool()>& condition) {
    return testing::ProcessEventsUntil(condition, 20000);
}

class SearchInWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.Start());
        m_endpoints.searchHost = m_service.HostAndPort();
        m_endpoints.playHost = m_service.HostAndPort();
        // Wired as the program wires itself; nothing is played.
        m_program = std::make_unique<Program>(ProgramParts{.windowSystem = m_windowSystem,
                                                           .endpoints = m_endpoints,
                                                           .musicFolder = "MP3",
                                                           .player = m_player});
        m_window = &m_program->Window();
        m_window->show();
        m_searchBox = m_window->findChild<QLineEdit*>(QString::fromUtf8("搜索框"));
        m_list = m_window->findChild<QTableWidget*>(QString::fromUtf8("歌曲超级列表框"));
        m_countPart = m_window->findChild<QLabel*>(QString::fromUtf8("状态条1_部分0"));
        ASSERT_NE(m_searchBox, nullptr);
        ASSERT_NE(m_list, nullptr);
        ASSERT_NE(m_countPart, nullptr);
    }

    void TearDown() override {
        m_program.reset();
        m_window = nullptr;
    }

    // Replaces the box's text the way an input method does (a typed Chinese word arrives as one
    // commit), then presses Enter in the box.
    void TypeAndPressEnter(const char* utf8Keyword) {
        m_searchBox->setFocus();
        m_searchBox->selectAll();
        QInputMethodEvent typing;
        typing.setCommitString(QString::fromUtf8(utf8Keyword));
        QApplication::sendEvent(m_searchBox, &typing);
        ASSERT_EQ(m_searchBox->text(), QString::fromUtf8(utf8Keyword));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(m_searchBox, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(m_searchBox, &release);
    }

    bool WaitForCount(int count) {
        const QString wanted = QString::fromUtf8("歌曲数量：") + QString::number(count);
        return ProcessEventsUntil([&] { return m_countPart->text() == wanted; });
    }

    std::vector<Row> ListedRows() const {
        std::vector<Row> rows;
        for (int r = 0; r < m_list->rowCount(); ++r) {
            Row row;
            for (int c = 0; c < 5; ++c) {
                const QTableWidgetItem* item = m_list->item(r, c);
                row[static_cast<size_t>(c)] = item ? item->text().toStdString() : std::string();
            }
            rows.push_back(row);
        }
        return rows;
    }

    std::string AddressOf(const std::string& hash) const {
        return "http://" + m_service.HostAndPort() + "/media/" + hash + ".mp3";
    }

    // The search request for `wireKeyword`, then one play-data request per row in row order.
    void ExpectRequests(const std::vector<HttpRequestHead>& requests, const char* wireKeyword,
                        const std::vector<Row>& rows) const {
        ASSERT_EQ(requests.size(), rows.size() + 1);
        EXPECT_TRUE(requests[0].target.starts_with(std::string("/song_search_v2?&keyword=") +
                                                   wireKeyword + "&page=1&pagesize=30&"))
            << requests[0].target;
        for (size_t r = 0; r < rows.size(); ++r) {
            const std::string prefix = "/yy/index.php?r=play/getdata&hash=" + rows[r][2] +
                                       "&album_id=" + rows[r][3] + "&_=";
            EXPECT_TRUE(requests[r + 1].target.starts_with(prefix)) << requests[r + 1].target;
            EXPECT_EQ(requests[r + 1].target.size(), prefix.size() + 13) << requests[r + 1].target;
        }
    }

    FakeMusicService m_service;
    Endpoints m_endpoints;
    download::RecordingPlayer m_player;
    NullWindowSystem m_windowSystem;
    std::unique_ptr<Program> m_program;
    MainWindow* m_window = nullptr;
    QLineEdit* m_searchBox = nullptr;
    QTableWidget* m_list = nullptr;
    QLabel* m_countPart = nullptr;
};

TEST_F(SearchInWindowTest, EnterListsEveryHitWithItsPlayAddressAndCountsThem) {
    TypeAndPressEnter("demo");
    ASSERT_TRUE(WaitForCount(6)) << m_countPart->text().toStdString();

    const std::vector<FakeHit>& hits = FakeHitsFor("demo");
    const std::vector<std::array<const char*, 2>> names = {{"Demo 晴空", "林夏"},
                                                           {"夜曲 (Demo)", "陈默"},
                                                           {"Morning Demo", "The Loopbacks"},
                                                           {"海边的Demo", "苏小雨、陈默"},
                                                           {"Demo Tape No.5", "Fake Band"},
                                                           {"城市灯火", "Demo乐队"}};
    ASSERT_EQ(hits.size(), names.size());
    std::vector<Row> expected;
    for (size_t i = 0; i < hits.size(); ++i) {
        expected.push_back(
            {names[i][0], names[i][1], hits[i].fileHash, hits[i].id, AddressOf(hits[i].fileHash)});
    }
    EXPECT_EQ(ListedRows(), expected);
    ExpectRequests(m_service.Requests(), "demo", expected);
}

TEST_F(SearchInWindowTest, AChineseKeywordGoesOutAsUtf8Escapes) {
    TypeAndPressEnter("周杰伦");
    ASSERT_TRUE(WaitForCount(0));
    EXPECT_TRUE(m_list->rowCount() == 0);
    ExpectRequests(m_service.Requests(), "%E5%91%A8%E6%9D%B0%E4%BC%A6", {});
}

TEST_F(SearchInWindowTest, ASecondSearchStartedMidwayLeavesOnlyItsOwnRows) {
    TypeAndPressEnter("error");
    ASSERT_TRUE(WaitForCount(0));
    m_service.ClearRequests();

    // Every request of the first search takes a while, so the second one starts mid-way.
    m_service.SetKnobs({.delay = std::chrono::milliseconds(300)});
    TypeAndPressEnter("demo");
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_list->rowCount() >= 2; }));
    // The count of the search before stays until a search ends.
    EXPECT_EQ(m_countPart->text(), QString::fromUtf8("歌曲数量：0"));

    m_service.SetKnobs({});
    TypeAndPressEnter("shift");
    ASSERT_TRUE(WaitForCount(3));

    const std::vector<FakeHit>& hits = FakeHitsFor("shift");
    const std::vector<Row> expected = {
        {"Alpha", "Ann", hits[0].fileHash, "301", AddressOf(hits[0].fileHash)},
        {"Beta", "Bob", hits[2].fileHash, "302", AddressOf(hits[2].fileHash)},
        {"Gamma", "Cid", "", "303", ""}};
    EXPECT_EQ(ListedRows(), expected);
    // The first search is over before the second sends anything: from the second's search
    // request on, every request is its own.
    const std::vector<HttpRequestHead> requests = m_service.Requests();
    auto secondSearch = requests.begin();
    while (secondSearch != requests.end() &&
           !secondSearch->target.starts_with("/song_search_v2?&keyword=shift&")) {
        ++secondSearch;
    }
    ExpectRequests({secondSearch, requests.end()}, "shift", expected);
}

}  // namespace
}  // namespace melvora
