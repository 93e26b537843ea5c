#include "app/MainWindowLayout.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include "app/ResultListColumns.h"

namespace melvora {

namespace {

template <typename Widget>
Widget* Place(Widget* widget, const char* objectName, QRect geometry) {
    widget->setObjectName(QString::fromUtf8(objectName));
    widget->setGeometry(geometry);
    return widget;
}

QTableWidget* BuildResultList(QWidget& groupBox) {
    auto* list = Place(new QTableWidget(0, static_cast<int>(kResultListColumns.size()), &groupBox),
                       "歌曲超级列表框", QRect(4, 15, 621, 226));
    list->setShowGrid(true);
    list->verticalHeader()->hide();
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Column widths are part of the layout, so the user's resizing never stretches a column.
    list->horizontalHeader()->setStretchLastSection(false);
    for (int column = 0; column < static_cast<int>(kResultListColumns.size()); ++column) {
        const ResultListColumn& columnLayout = kResultListColumns[static_cast<size_t>(column)];
        auto* header = new QTableWidgetItem(QString::fromUtf8(columnLayout.title));
        header->setTextAlignment(ResultListColumnAlignment(column));
        list->setHorizontalHeaderItem(column, header);
        list->setColumnWidth(column, columnLayout.width);
    }
    list->setAccessibleName(QString::fromUtf8("搜索结果"));
    return list;
}

// Two parts side by side without borders. Plain labels rather than status messages, because a
// status message hides the parts from screen readers.
std::array<QLabel*, 2> BuildStatusBar(QWidget& window) {
    auto* bar = Place(new QWidget(&window), "状态条1", QRect(0, 285, kClientWidth, 20));
    bar->setAccessibleName(QString::fromUtf8("状态条"));
    auto* part0 = Place(new QLabel(bar), "状态条1_部分0", QRect(0, 0, 120, 20));
    auto* part1 = Place(new QLabel(bar), "状态条1_部分1", QRect(120, 0, kClientWidth - 120, 20));
    // A label's text is its accessible name; the description tells the two empty parts apart.
    part0->setAccessibleDescription(QString::fromUtf8("状态条第一部分"));
    part1->setAccessibleDescription(QString::fromUtf8("状态条第二部分"));
    return {part0, part1};
}

}  // namespace

MainWindowWidgets BuildMainWindowLayout(QWidget& window) {
    window.setFixedSize(kClientWidth, kClientHeight);

    auto* label = Place(new QLabel(QString::fromUtf8("歌名或人名："), &window), "标签1",
                        QRect(8, 12, 72, 24));
    auto* searchBox = Place(new QLineEdit(&window), "搜索框", QRect(86, 13, 160, 22));
    searchBox->setAccessibleName(QString::fromUtf8("歌名或人名"));
    label->setBuddy(searchBox);

    MainWindowWidgets widgets;
    widgets.searchButton = Place(new QPushButton(QString::fromUtf8("获取"), &window), "按钮_搜索",
                                 QRect(253, 9, 72, 29));
    widgets.stopButton = Place(new QPushButton(QString::fromUtf8("停止播放"), &window), "按钮_停止",
                               QRect(334, 9, 72, 29));

    auto* playAfterDownload = Place(new QCheckBox(QString::fromUtf8("下载并播放"), &window),
                                    "选择框1", QRect(418, 17, 80, 16));
    auto* docking = Place(new QCheckBox(QString::fromUtf8("吸附酷狗"), &window), "选择框2",
                          QRect(512, 17, 80, 16));
    playAfterDownload->setChecked(true);
    docking->setChecked(true);

    auto* groupBox = Place(new QGroupBox(QString::fromUtf8("搜索结果"), &window), "分组框1",
                           QRect(2, 39, 630, 246));

    widgets.controls = ControlWidgets{
        .resultList = BuildResultList(*groupBox),
        .statusParts = BuildStatusBar(window),
        .playAfterDownload = playAfterDownload,
        .docking = docking,
        .searchBox = searchBox,
    };
    return widgets;
}

}  // namespace melvora
