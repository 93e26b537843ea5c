#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSizeGrip>
#include <QTableWidget>
#include <filesystem>

#include "app/ControlOperations.h"
#include "app/MainWindow.h"
#include "app/tests/QtTestSupport.h"
#include "docking/FakeWindowSystem.h"

namespace melvora {
namespace {

using testing::FindControl;
using namespace literals;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible == nullptr ? QString() : accessible->text(QAccessible::Name);
}

class MainWindowLayoutTest : public ::testing::Test {
protected:
    MainWindowLayoutTest()
        : m_window(m_windowSystem, [](const Text&, SearchReport&, const CancellationToken&) {}) {
        m_window.show();
    }

    FakeWindowSystem m_windowSystem;
    MainWindow m_window;
};

TEST_F(MainWindowLayoutTest, TheWindowHasItsCaptionFixedClientSizeAndPosition) {
    EXPECT_EQ(m_window.windowTitle(), "Melvora");
    EXPECT_EQ(m_window.size(), QSize(633, 305));
    EXPECT_EQ(m_window.minimumSize(), QSize(633, 305));
    EXPECT_EQ(m_window.maximumSize(), QSize(633, 305));
    // Off screen there is no frame, so the frame's position is the window's.
    EXPECT_EQ(m_window.pos(), QPoint(50, 50));
}

TEST_F(MainWindowLayoutTest, EveryControlSitsAtItsPlaceWithItsStartText) {
    struct Expected {
        const char* name;
        QRect geometry;
        const char* text;
    };
    const Expected controls[] = {
        {"标签1", {8, 12, 72, 24}, "歌名或人名："},   {"搜索框", {86, 13, 160, 22}, ""},
        {"按钮_搜索", {253, 9, 72, 29}, "获取"},      {"按钮_停止", {334, 9, 72, 29}, "停止播放"},
        {"选择框1", {418, 17, 80, 16}, "下载并播放"}, {"选择框2", {512, 17, 80, 16}, "吸附酷狗"},
        {"分组框1", {2, 39, 630, 246}, "搜索结果"},   {"状态条1", {0, 285, 633, 20}, nullptr},
    };
    for (const Expected& expected : controls) {
        SCOPED_TRACE(expected.name);
        auto* widget = FindControl<QWidget>(m_window, expected.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), &m_window);
        EXPECT_EQ(widget->geometry(), expected.geometry);
        EXPECT_TRUE(widget->isVisible());
        if (expected.text == nullptr) {
            continue;
        }
        const QVariant text = widget->property("text").isValid() ? widget->property("text")
                                                                 : widget->property("title");
        EXPECT_EQ(text.toString(), Utf8(expected.text));
    }

    auto* list = FindControl<QTableWidget>(m_window, "歌曲超级列表框");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->parentWidget(), FindControl<QGroupBox>(m_window, "分组框1"));
    EXPECT_EQ(list->geometry(), QRect(4, 15, 621, 226));
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(MainWindowLayoutTest, BothCheckBoxesAreTickedAtStart) {
    EXPECT_TRUE(FindControl<QCheckBox>(m_window, "选择框1")->isChecked());
    EXPECT_TRUE(FindControl<QCheckBox>(m_window, "选择框2")->isChecked());
}

TEST_F(MainWindowLayoutTest, TheListHasItsColumnsAlignedInHeaderAndCells) {
    struct Column {
        const char* title;
        int width;
        Qt::Alignment alignment;
    };
    const Column columns[] = {
        {"      歌曲名", 120, Qt::AlignLeft | Qt::AlignVCenter},
        {"歌手", 80, Qt::AlignCenter},
        {"FileHASH", 200, Qt::AlignCenter},
        {"ID", 120, Qt::AlignCenter},
        {"地址", 500, Qt::AlignCenter},
    };
    auto* list = FindControl<QTableWidget>(m_window, "歌曲超级列表框");
    ASSERT_EQ(list->columnCount(), 5);
    const ControlWidgets widgets = testing::WidgetsOf(m_window);
    AppendHitRow(widgets, {});
    const int32_t row = 0;
    for (int column = 0; column < 5; ++column) {
        SCOPED_TRACE(column);
        const Column& expected = columns[column];
        const QTableWidgetItem* header = list->horizontalHeaderItem(column);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->text().toUtf8().toStdString(), expected.title);
        EXPECT_EQ(list->columnWidth(column), expected.width);
        EXPECT_EQ(Qt::Alignment(header->textAlignment()), expected.alignment);
        SetCellText(widgets, row, column, "x");
        EXPECT_EQ(Qt::Alignment(list->item(row, column)->textAlignment()), expected.alignment);
    }
}

TEST_F(MainWindowLayoutTest, TheListSelectsOneWholeRowDrawsGridLinesAndIsReadOnly) {
    auto* list = FindControl<QTableWidget>(m_window, "歌曲超级列表框");
    EXPECT_TRUE(list->showGrid());
    EXPECT_TRUE(list->horizontalHeader()->isVisible());
    EXPECT_FALSE(list->verticalHeader()->isVisible());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindowLayoutTest, TheStatusBarHasTwoBorderlessPartsAndNoSizeGrip) {
    auto* bar = FindControl<QWidget>(m_window, "状态条1");
    const auto parts = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0]->geometry(), QRect(0, 0, 120, 20));
    EXPECT_EQ(parts[1]->geometry(), QRect(120, 0, 513, 20));
    for (const QLabel* part : parts) {
        EXPECT_EQ(part->frameShape(), QFrame::NoFrame);
        EXPECT_TRUE(part->text().isEmpty());
    }
    EXPECT_TRUE(m_window.findChildren<QSizeGrip*>().isEmpty());

    SetStatusText(testing::WidgetsOf(m_window), 0, "歌曲数量：30"_gbk);
    SetStatusText(testing::WidgetsOf(m_window), 1, "下载完成"_gbk);
    EXPECT_EQ(parts[0]->text(), Utf8("歌曲数量：30"));
    EXPECT_EQ(parts[1]->text(), Utf8("下载完成"));
}

TEST_F(MainWindowLayoutTest, ScreenReadersCanReadEveryControl) {
    struct Expected {
        const char* name;
        const char* accessibleName;
    };
    const Expected controls[] = {
        {"标签1", "歌名或人名："}, {"搜索框", "歌名或人名"},       {"按钮_搜索", "获取"},
        {"按钮_停止", "停止播放"}, {"选择框1", "下载并播放"},      {"选择框2", "吸附酷狗"},
        {"分组框1", "搜索结果"},   {"歌曲超级列表框", "搜索结果"}, {"状态条1", "状态条"},
    };
    for (const Expected& expected : controls) {
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(AccessibleName(FindControl<QWidget>(m_window, expected.name)),
                  Utf8(expected.accessibleName));
    }
    // A status part's text is what a screen reader reads out.
    SetStatusText(testing::WidgetsOf(m_window), 1, "正在下载"_gbk);
    auto* bar = FindControl<QWidget>(m_window, "状态条1");
    const auto parts = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(AccessibleName(parts[1]), Utf8("正在下载"));
    EXPECT_FALSE(
        QAccessible::queryAccessibleInterface(parts[0])->text(QAccessible::Description).isEmpty());
}

TEST_F(MainWindowLayoutTest, TheLabelsUseAChineseFont) {
    EXPECT_EQ(QApplication::font().family(), "WenQuanYi Micro Hei");
    EXPECT_EQ(FindControl<QLabel>(m_window, "标签1")->font().family(), "WenQuanYi Micro Hei");
}

TEST_F(MainWindowLayoutTest, CreatingTheWindowMakesTheMusicFolderAndStartsTheTimer) {
    EXPECT_TRUE(std::filesystem::is_directory("MP3"));
    EXPECT_TRUE(m_window.Timer().IsRunning());
    EXPECT_EQ(m_window.Timer().Period(), 1);
    EXPECT_EQ(m_window.Timer().Interval(), 10);
}

TEST_F(MainWindowLayoutTest, SetLeftAndSetTopMoveTheWindowAndKeepItsSize) {
    m_window.SetLeft(892);
    m_window.SetTop(68);
    EXPECT_EQ(m_window.pos(), QPoint(892, 68));
    EXPECT_EQ(m_window.size(), QSize(633, 305));
}

}  // namespace
}  // namespace melvora
