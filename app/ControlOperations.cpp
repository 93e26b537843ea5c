#include "app/ControlOperations.h"

#include <QLabel>
#include <QTableWidget>

#include "app/QtText.h"
#include "app/ResultListColumns.h"

namespace melvora {

namespace {

bool HasCell(const QTableWidget& list, int32_t row, int32_t column) {
    return row >= 0 && row < list.rowCount() && column >= 0 && column < list.columnCount();
}

}  // namespace

void ClearResultList(const ControlWidgets& widgets) {
    widgets.resultList->setRowCount(0);
}

void AppendHitRow(const ControlWidgets& widgets, const SongHit& hit) {
    QTableWidget& list = *widgets.resultList;
    const int row = list.rowCount();
    list.insertRow(row);
    for (int column = 0; column < list.columnCount(); ++column) {
        auto* cell = new QTableWidgetItem();
        cell->setTextAlignment(ResultListColumnAlignment(column));
        list.setItem(row, column, cell);
    }
    SetCellText(widgets, row, kSongNameColumn, hit.songName);
    SetCellText(widgets, row, kSingerNameColumn, hit.singerName);
    SetCellText(widgets, row, kFileHashColumn, hit.fileHash);
    SetCellText(widgets, row, kIdColumn, hit.id);
}

void SetCellText(const ControlWidgets& widgets, int32_t row, int32_t column, const Text& text) {
    QTableWidget& list = *widgets.resultList;
    if (!HasCell(list, row, column)) {
        return;
    }
    QTableWidgetItem* cell = list.item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem();
        cell->setTextAlignment(ResultListColumnAlignment(column));
        list.setItem(row, column, cell);
    }
    cell->setText(ToQString(text));
}

Text CellText(const ControlWidgets& widgets, int32_t row, int32_t column) {
    const QTableWidget& list = *widgets.resultList;
    if (!HasCell(list, row, column) || list.item(row, column) == nullptr) {
        return {};
    }
    return FromQString(list.item(row, column)->text());
}

int32_t CurrentSelection(const ControlWidgets& widgets) {
    int32_t first = -1;
    const auto rows = widgets.resultList->selectionModel()->selectedRows();
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

activation::TrackRequest SelectedTrack(const ControlWidgets& widgets) {
    const int32_t row = CurrentSelection(widgets);
    return {.songName = CellText(widgets, row, kSongNameColumn),
            .playAddress = CellText(widgets, row, kPlayAddressColumn)};
}

void SetStatusText(const ControlWidgets& widgets, int32_t part, const Text& text) {
    if (part < 0 || part >= static_cast<int32_t>(widgets.statusParts.size())) {
        return;
    }
    widgets.statusParts[static_cast<size_t>(part)]->setText(ToQString(text));
}

}  // namespace melvora
