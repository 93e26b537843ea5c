#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
#include "app/tests/QtTestSupport.h"
#include "docking/FakeWindowSystem.h"

namespace melvora {
namespace {

using namespace literals;
using testing::FindControl;
using testing::MessageBoxAnswerer;
using testing::ProcessEventsBriefly;
using testing::ProcessEventsUntil;

// A search body that stands in for the real one: it records the keywords it was started with
// and, like the real search, starts a fresh list and lists hits one by one, checking for
// cancellation between hits. Every hit carries the keyword of the search that listed it.
class RecordingSearch {
public:
    explicit RecordingSearch(int rowsPerSearch = 0) : m_rowsPerSearch(rowsPerSearch) {}

    MainWindow::SearchBody Body() {
        return [this](const Text& keyword, SearchReport& report,
                      const CancellationToken& cancellation) {
            Record(keyword + " started");
            report.SearchStarted();
            for (int i = 0; i < m_rowsPerSearch && !cancellation.IsCancelled(); ++i) {
                report.HitListed({.songName = keyword});
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            Record(keyword + (cancellation.IsCancelled() ? " cancelled" : " finished"));
        };
    }

    std::vector<Text> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    bool Saw(const Text& event) {
        const auto events = Events();
        return std::find(events.begin(), events.end(), event) != events.end();
    }

private:
    void Record(const Text& event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }

    int m_rowsPerSearch;
    std::mutex m_mutex;
    std::vector<Text> m_events;
};

class SearchHandlingTest : public ::testing::Test {
protected:
    explicit SearchHandlingTest(int rowsPerSearch = 0)
        : m_search(rowsPerSearch), m_window(m_windowSystem, m_search.Body()) {
        m_window.show();
        m_searchBox = FindControl<QLineEdit>(m_window, "搜索框");
        m_searchButton = FindControl<QPushButton>(m_window, "按钮_搜索");
        m_list = FindControl<QTableWidget>(m_window, "歌曲超级列表框");
    }

    void TypeIntoSearchBox(const char* utf8) {
        // Chinese text arrives through the input method, not as key clicks.
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8(utf8));
        QCoreApplication::sendEvent(m_searchBox, &commit);
    }

    FakeWindowSystem m_windowSystem;
    RecordingSearch m_search;
    MainWindow m_window;
    QLineEdit* m_searchBox = nullptr;
    QPushButton* m_searchButton = nullptr;
    QTableWidget* m_list = nullptr;
};

TEST_F(SearchHandlingTest, AnEmptyBoxStopsTheTimerLeavesTheTopAndAsksForAKeyword) {
    m_window.SetAlwaysOnTop(true);
    m_list->insertRow(0);
    MessageBoxAnswerer answerer(QMessageBox::Ok);

    m_searchButton->click();

    ASSERT_EQ(answerer.Boxes().size(), 1U);
    const auto& box = answerer.Boxes().front();
    EXPECT_EQ(box.text, QString::fromUtf8("请输入要搜索的内容"));
    EXPECT_EQ(box.caption, QString::fromUtf8("提示"));
    EXPECT_EQ(box.buttons, QMessageBox::Ok);
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_FALSE(m_window.Timer().IsRunning());
    EXPECT_EQ(m_window.Timer().Period(), 0);
    EXPECT_FALSE(m_window.IsAlwaysOnTop());
    ASSERT_FALSE(m_windowSystem.AlwaysOnTopRequests().empty());
    EXPECT_FALSE(m_windowSystem.AlwaysOnTopRequests().back().onTop);
    EXPECT_EQ(m_windowSystem.AlwaysOnTopRequests().back().window,
              static_cast<NativeWindowId>(m_window.winId()));

    m_window.EndSearches();
    EXPECT_TRUE(m_search.Events().empty()) << "no search may start";
    EXPECT_EQ(m_list->rowCount(), 1) << "the list keeps its rows";
}

TEST_F(SearchHandlingTest, AlwaysOnTopRequestsAreSentOnlyWhenTheStateChanges) {
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    m_searchButton->click();  // empty box: off, which it already is
    EXPECT_TRUE(m_windowSystem.AlwaysOnTopRequests().empty());
    m_window.SetAlwaysOnTop(true);
    m_window.SetAlwaysOnTop(true);
    m_searchButton->click();
    m_searchButton->click();
    ASSERT_EQ(m_windowSystem.AlwaysOnTopRequests().size(), 2U);
    EXPECT_TRUE(m_windowSystem.AlwaysOnTopRequests()[0].onTop);
    EXPECT_FALSE(m_windowSystem.AlwaysOnTopRequests()[1].onTop);
}

TEST_F(SearchHandlingTest, ABlankCountsAsAKeyword) {
    m_searchBox->setText(" ");
    m_searchButton->click();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_search.Saw("  finished"); }));
    EXPECT_EQ(m_search.Events(), (std::vector<Text>{"  started", "  finished"}));
}

TEST_F(SearchHandlingTest, AFilledBoxAfterAnEmptyOneLetsTheTimerTickAgain) {
    {
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        m_searchButton->click();
    }
    ASSERT_FALSE(m_window.Timer().IsRunning());
    TypeIntoSearchBox("周杰伦");
    m_searchButton->click();
    EXPECT_TRUE(m_window.Timer().IsRunning());
    EXPECT_EQ(m_window.Timer().Period(), 1);
    EXPECT_TRUE(ProcessEventsUntil([&] { return m_search.Saw("周杰伦 finished"_gbk); }));
}

TEST_F(SearchHandlingTest, EnterInTheSearchBoxSearchesAndOtherKeysDoNot) {
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool searches;
    };
    const Key keys[] = {
        {Qt::Key_Return, Qt::NoModifier, true},    {Qt::Key_Enter, Qt::KeypadModifier, true},
        {Qt::Key_Return, Qt::ShiftModifier, true}, {Qt::Key_A, Qt::NoModifier, false},
        {Qt::Key_Space, Qt::NoModifier, false},    {Qt::Key_Escape, Qt::NoModifier, false},
        {Qt::Key_M, Qt::ControlModifier, false},
    };
    TypeIntoSearchBox("晴天");
    for (const Key& key : keys) {
        SCOPED_TRACE(key.key);
        const size_t before = m_search.Events().size();
        m_searchBox->setText(QString::fromUtf8("晴天"));
        QTest::keyClick(m_searchBox, key.key, key.modifiers);
        if (key.searches) {
            EXPECT_TRUE(ProcessEventsUntil([&] { return m_search.Events().size() == before + 2; }));
        } else {
            ProcessEventsBriefly();
            EXPECT_EQ(m_search.Events().size(), before);
        }
    }
}

TEST_F(SearchHandlingTest, EnterWithAnEmptyBoxAsksForAKeyword) {
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    QTest::keyClick(m_searchBox, Qt::Key_Return);
    ASSERT_EQ(answerer.Boxes().size(), 1U);
    EXPECT_EQ(answerer.Boxes().front().text, QString::fromUtf8("请输入要搜索的内容"));
}

class OverlappingSearchTest : public SearchHandlingTest {
protected:
    static constexpr int kRows = 40;
    OverlappingSearchTest() : SearchHandlingTest(kRows) {}
};

TEST_F(OverlappingSearchTest, TheLatestSearchWinsAndRowsNeverMix) {
    m_searchBox->setText("first");
    m_searchButton->click();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_list->rowCount() >= 3; }));

    m_searchBox->setText("second");
    m_searchButton->click();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_search.Saw("second finished"); }));
    m_window.EndSearches();

    EXPECT_EQ(m_search.Events(), (std::vector<Text>{"first started", "first cancelled",
                                                    "second started", "second finished"}));
    ASSERT_EQ(m_list->rowCount(), kRows);
    for (int row = 0; row < kRows; ++row) {
        EXPECT_EQ(m_list->item(row, 0)->text(), "second") << row;
    }
}

TEST_F(OverlappingSearchTest, ClosingTheWindowEndsTheRunningSearch) {
    m_searchBox->setText("running");
    m_searchButton->click();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_list->rowCount() >= 3; }));

    // The GUI thread stops serving the search's calls right here, as it does when the user
    // closes the window; the close must still return, with the search ended.
    m_window.close();

    EXPECT_EQ(m_search.Events().back(), "running cancelled");
    const int rows = m_list->rowCount();
    ProcessEventsBriefly();
    EXPECT_EQ(m_list->rowCount(), rows) << "no call of the ended search may arrive later";
    EXPECT_LT(rows, kRows);
}

}  // namespace
}  // namespace melvora
