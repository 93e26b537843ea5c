#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <future>
#include <thread>

#include "app/ControlOperations.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/WindowSearchReport.h"
#include "app/WindowTrackReport.h"
#include "app/tests/QtTestSupport.h"
#include "docking/FakeWindowSystem.h"

namespace melvora {
namespace {

using namespace literals;
using testing::FindControl;
using testing::MessageBoxAnswerer;
using testing::ProcessEventsBriefly;
using testing::ProcessEventsUntil;

class WindowReportsTest : public ::testing::Test {
protected:
    WindowReportsTest()
        : m_window(m_windowSystem, [](const Text&, SearchReport&, const CancellationToken&) {}) {
        m_window.show();
        m_list = FindControl<QTableWidget>(m_window, "歌曲超级列表框");
        const auto parts = FindControl<QWidget>(m_window, "状态条1")
                               ->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        m_statusParts = {parts.at(0), parts.at(1)};
        m_widgets = ControlWidgets{.resultList = m_list,
                                   .statusParts = m_statusParts,
                                   .playAfterDownload = FindControl<QCheckBox>(m_window, "选择框1"),
                                   .docking = FindControl<QCheckBox>(m_window, "选择框2"),
                                   .searchBox = FindControl<QLineEdit>(m_window, "搜索框")};
    }

    // Runs `task` on a thread of its own while the GUI thread runs its event loop.
    template <typename Task>
    auto OnWorker(Task task) {
        auto result = std::async(std::launch::async, std::move(task));
        EXPECT_TRUE(ProcessEventsUntil(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        return result.get();
    }

    QString Cell(int row, int column) const {
        const QTableWidgetItem* item = m_list->item(row, column);
        return item == nullptr ? QString() : item->text();
    }

    FakeWindowSystem m_windowSystem;
    MainWindow m_window;
    QTableWidget* m_list = nullptr;
    std::array<QLabel*, 2> m_statusParts{};
    ControlWidgets m_widgets;
};

TEST_F(WindowReportsTest, ListOperationsOnTheGuiThread) {
    AppendHitRow(m_widgets, {"晴天"_gbk, "周杰伦"_gbk, "HASH", "42"});
    AppendHitRow(m_widgets, {});
    EXPECT_EQ(m_list->rowCount(), 2);
    EXPECT_EQ(Cell(0, 0), QString::fromUtf8("晴天"));
    EXPECT_EQ(Cell(0, 1), QString::fromUtf8("周杰伦"));
    EXPECT_EQ(Cell(0, 2), "HASH");
    EXPECT_EQ(Cell(0, 3), "42");
    for (int32_t column = 0; column < 5; ++column) {
        EXPECT_EQ(CellText(m_widgets, 1, column), Text()) << "an empty hit's cells are empty";
    }

    SetCellText(m_widgets, 1, 4, "http://example.invalid/a.mp3");
    EXPECT_EQ(CellText(m_widgets, 1, 4), "http://example.invalid/a.mp3");
    // Cells that do not exist are left alone and read as empty.
    for (const auto& [row, column] : {std::pair{2, 0}, {-1, 0}, {0, 5}, {0, -1}}) {
        SetCellText(m_widgets, row, column, "x");
        EXPECT_EQ(CellText(m_widgets, row, column), Text());
    }
    EXPECT_EQ(m_list->rowCount(), 2);
    // A long cell comes back whole.
    const Text longText(std::string(5000, 'a'));
    SetCellText(m_widgets, 0, 2, longText);
    EXPECT_EQ(CellText(m_widgets, 0, 2), longText);

    ClearResultList(m_widgets);
    EXPECT_EQ(m_list->rowCount(), 0);
    EXPECT_EQ(CellText(m_widgets, 0, 0), Text());
}

TEST_F(WindowReportsTest, TheSelectedTrackIsTheFirstSelectedRowOrNothing) {
    for (const char* name : {"a", "b", "c"}) {
        AppendHitRow(m_widgets, {.songName = Text(name)});
        SetCellText(m_widgets, m_list->rowCount() - 1, 4, Text(std::string("http://h/") + name));
    }
    EXPECT_EQ(CurrentSelection(m_widgets), -1);
    EXPECT_EQ(SelectedTrack(m_widgets).songName, Text());
    EXPECT_EQ(SelectedTrack(m_widgets).playAddress, Text());
    m_list->selectRow(2);
    EXPECT_EQ(CurrentSelection(m_widgets), 2);
    EXPECT_EQ(SelectedTrack(m_widgets).songName, Text("c"));
    EXPECT_EQ(SelectedTrack(m_widgets).playAddress, Text("http://h/c"));
    m_list->selectRow(1);
    EXPECT_EQ(SelectedTrack(m_widgets).songName, Text("b"));
    m_list->clearSelection();
    EXPECT_EQ(CurrentSelection(m_widgets), -1);
}

TEST_F(WindowReportsTest, StatusPartsOutsideTheTwoAreIgnored) {
    SetStatusText(m_widgets, 0, "歌曲数量：3"_gbk);
    SetStatusText(m_widgets, 1, "part one");
    SetStatusText(m_widgets, 2, "ignored");
    SetStatusText(m_widgets, -1, "ignored");
    EXPECT_EQ(m_statusParts[0]->text(), QString::fromUtf8("歌曲数量：3"));
    EXPECT_EQ(m_statusParts[1]->text(), "part one");
}

TEST_F(WindowReportsTest, ASearchReportFromAnotherThreadFillsTheListInOrder) {
    SetStatusText(m_widgets, 0, "歌曲数量：9"_gbk);
    SetStatusText(m_widgets, 1, "下载完毕"_gbk);
    AppendHitRow(m_widgets, {.songName = "old"});
    WindowSearchReport report(&m_window, m_widgets, std::make_shared<TaskSession>());
    std::vector<QString> countWhileListing;

    OnWorker([&] {
        report.SearchStarted();
        report.HitListed({"稻香"_gbk, "周杰伦"_gbk, "H1", "1"});
        report.HitListed({"晴天"_gbk, "周杰伦"_gbk, "H2", "2"});
        countWhileListing.push_back(m_statusParts[0]->text());
        report.PlayAddressResolved(1, "http://h/2.mp3");
        report.PlayAddressResolved(0, "http://h/1.mp3");
        report.SearchFinished(2);
        return true;
    });

    ASSERT_EQ(m_list->rowCount(), 2);
    EXPECT_EQ(Cell(0, 0), QString::fromUtf8("稻香"));
    EXPECT_EQ(Cell(1, 0), QString::fromUtf8("晴天"));
    EXPECT_EQ(Cell(0, 4), "http://h/1.mp3");
    EXPECT_EQ(Cell(1, 4), "http://h/2.mp3");
    // The previous count stays until the search has its own; progress is emptied at the start.
    EXPECT_EQ(countWhileListing, std::vector<QString>{QString::fromUtf8("歌曲数量：9")});
    EXPECT_EQ(m_statusParts[0]->text(), QString::fromUtf8("歌曲数量：2"));
    EXPECT_TRUE(m_statusParts[1]->text().isEmpty());
}

TEST_F(WindowReportsTest, ACancelledCallerWakesAndTheGuiThreadSkipsItsCall) {
    auto session = std::make_shared<TaskSession>();
    WindowSearchReport report(&m_window, m_widgets, session);
    std::promise<void> aboutToCall;
    // The GUI thread does not run its event loop here, as while it joins the task.
    auto task = std::async(std::launch::async, [&] {
        aboutToCall.set_value();
        report.HitListed({.songName = "late"});
    });
    aboutToCall.get_future().wait();
    // Give the task time to post its call and start waiting; if it has not, it sees the
    // cancellation first, which ends the same way.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    session->Cancel();
    task.get();

    // The call was posted before the cancellation; when it comes up it must not touch the list.
    ProcessEventsBriefly();
    EXPECT_EQ(m_list->rowCount(), 0);
}

TEST_F(WindowReportsTest, ACancelledReportTouchesNothingAndAnswersNo) {
    AppendHitRow(m_widgets, {.songName = "kept"});
    auto session = std::make_shared<TaskSession>();
    session->Cancel();
    WindowSearchReport search(&m_window, m_widgets, session);
    WindowTrackReport track(&m_window, m_widgets, session);
    MessageBoxAnswerer answerer(QMessageBox::Yes);

    const auto [resume, play] = OnWorker([&] {
        search.SearchStarted();
        search.HitListed({.songName = "new"});
        search.SearchFinished(1);
        track.DownloadProgressed("x", 1, 1);
        track.DownloadFailed(DownloadOutcome::ReadError);
        return std::pair{track.ResumeWanted(), track.PlayAfterDownload()};
    });

    EXPECT_FALSE(resume);
    EXPECT_FALSE(play);
    ProcessEventsBriefly();
    EXPECT_TRUE(answerer.Boxes().empty());
    ASSERT_EQ(m_list->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "kept");
    EXPECT_TRUE(m_statusParts[0]->text().isEmpty());
    EXPECT_TRUE(m_statusParts[1]->text().isEmpty());
}

TEST_F(WindowReportsTest, TheResumeQuestionIsAYesNoQuestionUnderItsCaption) {
    for (const auto& [answer, resume] :
         {std::pair{QMessageBox::Yes, true}, {QMessageBox::No, false}}) {
        MessageBoxAnswerer answerer(answer);
        WindowTrackReport report(&m_window, m_widgets, std::make_shared<TaskSession>());
        EXPECT_EQ(OnWorker([&] { return report.ResumeWanted(); }), resume);
        ASSERT_EQ(answerer.Boxes().size(), 1U);
        const auto& box = answerer.Boxes().front();
        EXPECT_EQ(box.text, QString::fromUtf8("文件已存在，是否断点续传？"));
        EXPECT_EQ(box.caption, QString::fromUtf8("提示："));
        EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.defaultButton, QMessageBox::Yes);
        EXPECT_EQ(box.icon, QMessageBox::Question);
        EXPECT_EQ(box.modality, Qt::ApplicationModal);
        EXPECT_FALSE(box.hasOwner);
    }
}

TEST_F(WindowReportsTest, FailuresShowTheirMessageUnderTheInformationCaption) {
    const std::pair<DownloadOutcome, const char*> cases[] = {
        {DownloadOutcome::InternetError, "Internet连接错误!"},
        {DownloadOutcome::CannotOpenUrl, "不能打开该URL!"},
        {DownloadOutcome::CannotOpenLocalFile, "不能打开本地的文件!"},
        {DownloadOutcome::ReadError, "读文件出错!"},
        {DownloadOutcome::WriteError, "写文件出错!"},
    };
    WindowTrackReport report(&m_window, m_widgets, std::make_shared<TaskSession>());
    for (const auto& [outcome, text] : cases) {
        SCOPED_TRACE(text);
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        OnWorker([&, outcome = outcome] {
            report.DownloadFailed(outcome);
            return true;
        });
        ASSERT_EQ(answerer.Boxes().size(), 1U);
        const auto& box = answerer.Boxes().front();
        EXPECT_EQ(box.text, QString::fromUtf8(text));
        EXPECT_EQ(box.caption, QString::fromUtf8("信息："));
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
        EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    }
}

TEST_F(WindowReportsTest, ProgressCompletionAndPlayingGoToPartOneAndTheBoxDecidesPlaying) {
    SetStatusText(m_widgets, 0, "歌曲数量：3"_gbk);
    WindowTrackReport report(&m_window, m_widgets, std::make_shared<TaskSession>());
    std::vector<QString> partOne;
    m_widgets.playAfterDownload->setChecked(false);

    const bool play = OnWorker([&] {
        report.DownloadProgressed("晴天"_gbk, 3932160, 1048576);
        partOne.push_back(m_statusParts[1]->text());
        report.TrackDownloaded("晴天.mp3"_gbk);
        partOne.push_back(m_statusParts[1]->text());
        report.TrackPlaying("晴天.mp3"_gbk);
        partOne.push_back(m_statusParts[1]->text());
        return report.PlayAfterDownload();
    });

    EXPECT_FALSE(play);
    EXPECT_EQ(partOne, (std::vector<QString>{
                           QString::fromUtf8("正在下载:晴天    文件大小:3.75MB    已下载:1MB"),
                           QString::fromUtf8("[晴天.mp3]  下载完毕"),
                           QString::fromUtf8("正在播放：[晴天.mp3]")}));
    EXPECT_EQ(m_statusParts[0]->text(), QString::fromUtf8("歌曲数量：3"));
    m_widgets.playAfterDownload->setChecked(true);
    EXPECT_TRUE(OnWorker([&] { return report.PlayAfterDownload(); }));
}

}  // namespace
}  // namespace melvora
