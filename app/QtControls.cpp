#include "app/QtControls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QTableWidget>
#include <QThread>
#include <utility>

#include "app/MessageBox.h"
#include "app/QtText.h"
#include "app/ResultListColumns.h"

namespace melvora {

namespace {

bool HasCell(const QTableWidget& list, int32_t row, int32_t column) {
    return row >= 0 && row < list.rowCount() && column >= 0 && column < list.columnCount();
}

// What a posted call hands back; `result` is written before the call is marked complete.
template <typename Result>
struct PostedCall {
    TaskSession::Completion completion;
    Result result{};
};

}  // namespace

QtControls::QtControls(QObject* guiObject, ControlWidgets widgets,
                       std::shared_ptr<TaskSession> session)
    : m_guiObject(guiObject), m_widgets(widgets), m_session(std::move(session)) {}

template <typename Result, typename Call>
Result QtControls::OnGuiThread(Call call, Result cancelled) {
    if (m_session->IsCancelled()) {
        return cancelled;
    }
    if (QThread::currentThread() == m_guiObject->thread()) {
        return call(m_widgets);
    }
    auto posted = std::make_shared<PostedCall<Result>>();
    const bool queued = QMetaObject::invokeMethod(
        m_guiObject,
        [posted, session = m_session, widgets = m_widgets, call = std::move(call)] {
            if (session->IsCancelled()) {
                return;
            }
            posted->result = call(widgets);
            session->Complete(posted->completion);
        },
        Qt::QueuedConnection);
    if (!queued || !m_session->Await(posted->completion)) {
        return cancelled;
    }
    return posted->result;
}

void QtControls::ClearList() {
    OnGuiThread(
        [](const ControlWidgets& widgets) {
            widgets.resultList->setRowCount(0);
            return true;
        },
        false);
}

int32_t QtControls::AppendRow() {
    return OnGuiThread(
        [](const ControlWidgets& widgets) {
            QTableWidget& list = *widgets.resultList;
            const int row = list.rowCount();
            list.insertRow(row);
            for (int column = 0; column < list.columnCount(); ++column) {
                auto* cell = new QTableWidgetItem();
                cell->setTextAlignment(ResultListColumnAlignment(column));
                list.setItem(row, column, cell);
            }
            return static_cast<int32_t>(row);
        },
        int32_t{-1});
}

void QtControls::SetCellText(int32_t row, int32_t column, const Text& text) {
    OnGuiThread(
        [row, column, text](const ControlWidgets& widgets) {
            QTableWidget& list = *widgets.resultList;
            if (!HasCell(list, row, column)) {
                return false;
            }
            QTableWidgetItem* cell = list.item(row, column);
            if (cell == nullptr) {
                cell = new QTableWidgetItem();
                cell->setTextAlignment(ResultListColumnAlignment(column));
                list.setItem(row, column, cell);
            }
            cell->setText(ToQString(text));
            return true;
        },
        false);
}

Text QtControls::CellText(int32_t row, int32_t column) {
    return OnGuiThread(
        [row, column](const ControlWidgets& widgets) {
            const QTableWidget& list = *widgets.resultList;
            if (!HasCell(list, row, column) || list.item(row, column) == nullptr) {
                return Text();
            }
            return FromQString(list.item(row, column)->text());
        },
        Text());
}

int32_t QtControls::RowCount() {
    return OnGuiThread(
        [](const ControlWidgets& widgets) {
            return static_cast<int32_t>(widgets.resultList->rowCount());
        },
        int32_t{0});
}

int32_t QtControls::CurrentSelection() {
    return OnGuiThread(
        [](const ControlWidgets& widgets) {
            int32_t first = -1;
            const auto rows = widgets.resultList->selectionModel()->selectedRows();
            for (const QModelIndex& index : rows) {
                if (first < 0 || index.row() < first) {
                    first = index.row();
                }
            }
            return first;
        },
        int32_t{-1});
}

void QtControls::SetStatusText(int32_t part, const Text& text) {
    OnGuiThread(
        [part, text](const ControlWidgets& widgets) {
            if (part < 0 || part >= static_cast<int32_t>(widgets.statusParts.size())) {
                return false;
            }
            widgets.statusParts[static_cast<size_t>(part)]->setText(ToQString(text));
            return true;
        },
        false);
}

bool QtControls::IsPlayAfterDownloadChecked() {
    return OnGuiThread(
        [](const ControlWidgets& widgets) { return widgets.playAfterDownload->isChecked(); },
        false);
}

bool QtControls::IsDockingChecked() {
    return OnGuiThread([](const ControlWidgets& widgets) { return widgets.docking->isChecked(); },
                       false);
}

Text QtControls::SearchText() {
    return OnGuiThread(
        [](const ControlWidgets& widgets) { return FromQString(widgets.searchBox->text()); },
        Text());
}

MessageBoxButton QtControls::ShowMessageBox(const Text& text, const Text& caption, uint32_t style) {
    return OnGuiThread(
        [text, caption, style](const ControlWidgets& /*widgets*/) {
            return ShowModalMessageBox(ToQString(text), ToQString(caption), style);
        },
        MessageBoxButton::Cancel);
}

}  // namespace melvora
