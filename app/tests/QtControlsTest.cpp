#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <future>
#include <thread>

#include "app/MainWindow.h"
#include "app/QtControls.h"
#include "app/tests/QtTestSupport.h"
#include "docking/FakeWindowSystem.h"

namespace melvora {
namespace {

using namespace literals;
using testing::FindControl;
using testing::MessageBoxAnswerer;
using testing::ProcessEventsBriefly;
using testing::ProcessEventsUntil;

class QtControlsTest : public ::testing::Test {
protected:
    QtControlsTest() : m_window(m_windowSystem, [](Controls&, const CancellationToken&) {}) {
        m_window.show();
        m_list = FindControl<QTableWidget>(m_window, "歌曲超级列表框");
        m_searchBox = FindControl<QLineEdit>(m_window, "搜索框");
        const auto parts = FindControl<QWidget>(m_window, "状态条1")
                               ->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        m_statusParts = {parts.at(0), parts.at(1)};
    }

    // A view as a search task gets it, bound to a session of its own.
    QtControls TaskView(std::shared_ptr<TaskSession> session) {
        return QtControls(
            &m_window,
            ControlWidgets{.resultList = m_list,
                           .statusParts = m_statusParts,
                           .playAfterDownload = FindControl<QCheckBox>(m_window, "选择框1"),
                           .docking = FindControl<QCheckBox>(m_window, "选择框2"),
                           .searchBox = m_searchBox},
            std::move(session));
    }

    FakeWindowSystem m_windowSystem;
    MainWindow m_window;
    QTableWidget* m_list = nullptr;
    QLineEdit* m_searchBox = nullptr;
    std::array<QLabel*, 2> m_statusParts{};
};

TEST_F(QtControlsTest, ListOperationsOnTheGuiThread) {
    Controls& controls = m_window.GuiControls();
    EXPECT_EQ(controls.RowCount(), 0);
    EXPECT_EQ(controls.AppendRow(), 0);
    EXPECT_EQ(controls.AppendRow(), 1);
    EXPECT_EQ(controls.RowCount(), 2);
    for (int32_t column = 0; column < 5; ++column) {
        EXPECT_EQ(controls.CellText(1, column), Text()) << "a new row's cells are empty";
    }

    controls.SetCellText(1, 0, "晴天"_gbk);
    controls.SetCellText(1, 4, "http://example.invalid/a.mp3");
    EXPECT_EQ(controls.CellText(1, 0), "晴天"_gbk);
    EXPECT_EQ(m_list->item(1, 0)->text(), QString::fromUtf8("晴天"));
    EXPECT_EQ(controls.CellText(1, 4), "http://example.invalid/a.mp3");

    // Cells that do not exist are left alone and read as empty.
    for (const auto& [row, column] : {std::pair{2, 0}, {-1, 0}, {0, 5}, {0, -1}}) {
        controls.SetCellText(row, column, "x");
        EXPECT_EQ(controls.CellText(row, column), Text());
    }
    EXPECT_EQ(controls.RowCount(), 2);

    // A long cell comes back whole.
    const Text longText(std::string(5000, 'a'));
    controls.SetCellText(0, 2, longText);
    EXPECT_EQ(controls.CellText(0, 2), longText);

    controls.ClearList();
    EXPECT_EQ(controls.RowCount(), 0);
    EXPECT_EQ(controls.CellText(0, 0), Text());
}

TEST_F(QtControlsTest, CurrentSelectionIsTheSelectedRowOrMinusOne) {
    Controls& controls = m_window.GuiControls();
    for (int i = 0; i < 3; ++i) {
        controls.AppendRow();
    }
    EXPECT_EQ(controls.CurrentSelection(), -1);
    m_list->selectRow(2);
    EXPECT_EQ(controls.CurrentSelection(), 2);
    m_list->selectRow(1);
    EXPECT_EQ(controls.CurrentSelection(), 1);
    m_list->clearSelection();
    EXPECT_EQ(controls.CurrentSelection(), -1);
}

TEST_F(QtControlsTest, StatusPartsCheckBoxesAndSearchText) {
    Controls& controls = m_window.GuiControls();
    controls.SetStatusText(0, "歌曲数量：3"_gbk);
    controls.SetStatusText(1, "part one");
    controls.SetStatusText(2, "ignored");
    controls.SetStatusText(-1, "ignored");
    EXPECT_EQ(m_statusParts[0]->text(), QString::fromUtf8("歌曲数量：3"));
    EXPECT_EQ(m_statusParts[1]->text(), "part one");

    FindControl<QCheckBox>(m_window, "选择框1")->setChecked(false);
    EXPECT_FALSE(controls.IsPlayAfterDownloadChecked());
    EXPECT_TRUE(controls.IsDockingChecked());
    FindControl<QCheckBox>(m_window, "选择框2")->setChecked(false);
    EXPECT_FALSE(controls.IsDockingChecked());

    EXPECT_EQ(controls.SearchText(), Text());
    m_searchBox->setText(QString::fromUtf8("周杰伦 晴天"));
    EXPECT_EQ(controls.SearchText(), "周杰伦 晴天"_gbk);
}

TEST_F(QtControlsTest, CallsFromAnotherThreadRunOnTheGuiThreadWhileTheCallerWaits) {
    m_searchBox->setText(QString::fromUtf8("稻香"));
    QtControls view = TaskView(std::make_shared<TaskSession>());
    struct Seen {
        Text keyword;
        int32_t firstRow = -1;
        int32_t lastRow = -1;
        int32_t rowCount = 0;
        Text cell;
        bool sawGuiThread = true;
    };
    auto task = std::async(std::launch::async, [&] {
        Seen seen;
        seen.keyword = view.SearchText();
        view.ClearList();
        seen.firstRow = view.AppendRow();
        view.AppendRow();
        seen.lastRow = view.AppendRow();
        view.SetCellText(seen.lastRow, 1, seen.keyword);
        view.SetStatusText(0, "歌曲数量：3"_gbk);
        seen.rowCount = view.RowCount();
        seen.cell = view.CellText(seen.lastRow, 1);
        return seen;
    });
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return task.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const Seen seen = task.get();

    EXPECT_EQ(seen.keyword, "稻香"_gbk);
    EXPECT_EQ(seen.firstRow, 0);
    EXPECT_EQ(seen.lastRow, 2);
    EXPECT_EQ(seen.rowCount, 3);
    EXPECT_EQ(seen.cell, "稻香"_gbk);
    EXPECT_EQ(m_list->rowCount(), 3);
    EXPECT_EQ(m_list->item(2, 1)->text(), QString::fromUtf8("稻香"));
    EXPECT_EQ(m_statusParts[0]->text(), QString::fromUtf8("歌曲数量：3"));
}

TEST_F(QtControlsTest, ACancelledCallerWakesAndTheGuiThreadSkipsItsCall) {
    auto session = std::make_shared<TaskSession>();
    QtControls view = TaskView(session);
    std::promise<void> aboutToCall;
    // The GUI thread does not run its event loop here, as while it joins the task.
    auto task = std::async(std::launch::async, [&] {
        aboutToCall.set_value();
        return view.AppendRow();
    });
    aboutToCall.get_future().wait();
    // Give the task time to post its call and start waiting; if it has not, it sees the
    // cancellation first, which ends the same way.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    session->Cancel();
    EXPECT_EQ(task.get(), -1);

    // The call was posted before the cancellation; when it comes up it must not touch the list.
    ProcessEventsBriefly();
    EXPECT_EQ(m_list->rowCount(), 0);
}

TEST_F(QtControlsTest, ACancelledViewReturnsDefaultsAtOnce) {
    m_window.GuiControls().AppendRow();
    m_window.GuiControls().SetCellText(0, 0, "kept");
    m_searchBox->setText("kept");
    auto session = std::make_shared<TaskSession>();
    session->Cancel();
    QtControls view = TaskView(session);

    auto task = std::async(std::launch::async, [&] {
        view.ClearList();
        view.SetStatusText(0, "changed");
        return std::tuple{view.RowCount(),         view.AppendRow(),
                          view.CellText(0, 0),     view.SearchText(),
                          view.IsDockingChecked(), view.ShowMessageBox("never shown")};
    });
    const auto [rows, appended, cell, keyword, docking, answer] = task.get();
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(appended, -1);
    EXPECT_EQ(cell, Text());
    EXPECT_EQ(keyword, Text());
    EXPECT_FALSE(docking);
    EXPECT_EQ(answer, MessageBoxButton::Cancel);

    ProcessEventsBriefly();
    EXPECT_EQ(m_list->rowCount(), 1);
    EXPECT_EQ(m_list->item(0, 0)->text(), "kept");
    EXPECT_TRUE(m_statusParts[0]->text().isEmpty());
}

TEST_F(QtControlsTest, MessageBoxesShowTheirStyleAndReportTheButton) {
    struct Case {
        uint32_t style;
        QMessageBox::StandardButton answer;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QMessageBox::Icon icon;
        MessageBoxButton result;
    };
    const Case cases[] = {
        {kMessageBoxOk, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon,
         MessageBoxButton::Ok},
        {kMessageBoxYesNoQuestion, QMessageBox::Yes, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, QMessageBox::Question, MessageBoxButton::Yes},
        {kMessageBoxYesNoQuestion, QMessageBox::No, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, QMessageBox::Question, MessageBoxButton::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        MessageBoxAnswerer answerer(c.answer);
        const MessageBoxButton result =
            m_window.GuiControls().ShowMessageBox("是否继续下载？"_gbk, "下载"_gbk, c.style);
        EXPECT_EQ(result, c.result);
        ASSERT_EQ(answerer.Boxes().size(), 1U);
        const auto& box = answerer.Boxes().front();
        EXPECT_EQ(box.text, QString::fromUtf8("是否继续下载？"));
        EXPECT_EQ(box.caption, QString::fromUtf8("下载"));
        EXPECT_EQ(box.buttons, c.buttons);
        EXPECT_EQ(box.defaultButton, c.defaultButton);
        EXPECT_EQ(box.icon, c.icon);
        EXPECT_EQ(box.modality, Qt::ApplicationModal);
        EXPECT_FALSE(box.hasOwner);
    }
}

TEST_F(QtControlsTest, TheDefaultCaptionIsInformation) {
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    EXPECT_EQ(m_window.GuiControls().ShowMessageBox("完成"_gbk), MessageBoxButton::Ok);
    ASSERT_EQ(answerer.Boxes().size(), 1U);
    EXPECT_EQ(answerer.Boxes().front().caption, QString::fromUtf8("信息："));
}

TEST_F(QtControlsTest, ATaskCanAskTheUserAndGetsTheAnswer) {
    MessageBoxAnswerer answerer(QMessageBox::Yes);
    QtControls view = TaskView(std::make_shared<TaskSession>());
    auto task = std::async(std::launch::async, [&] {
        return view.ShowMessageBox("继续？"_gbk, kMessageBoxYesNoQuestion);
    });
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return task.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(task.get(), MessageBoxButton::Yes);
    ASSERT_EQ(answerer.Boxes().size(), 1U);
    EXPECT_EQ(answerer.Boxes().front().caption, QString::fromUtf8("信息："));
}

}  // namespace
}  // namespace melvora
