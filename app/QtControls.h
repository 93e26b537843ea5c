#pragma once

#include <QObject>
#include <memory>

#include "app/ControlWidgets.h"
#include "app/TaskSession.h"
#include "app/controls/Controls.h"

namespace melvora {

// The control operations over the main window's widgets. A call made on the GUI thread runs at
// once. A call from another thread is posted to the GUI thread and the caller waits until it has
// run, or until its session is cancelled: then the call returns at once with an empty result, and
// the GUI thread, which checks the session before touching any widget, skips it. Each search task
// gets its own view bound to its own session.
class QtControls : public Controls {
public:
    // `guiObject` lives on the GUI thread and outlives the widgets' use; posted calls die with it.
    QtControls(QObject* guiObject, ControlWidgets widgets, std::shared_ptr<TaskSession> session);

    void ClearList() override;
    int32_t AppendRow() override;
    void SetCellText(int32_t row, int32_t column, const Text& text) override;
    Text CellText(int32_t row, int32_t column) override;
    int32_t RowCount() override;
    int32_t CurrentSelection() override;
    void SetStatusText(int32_t part, const Text& text) override;
    bool IsPlayAfterDownloadChecked() override;
    bool IsDockingChecked() override;
    Text SearchText() override;
    using Controls::ShowMessageBox;
    MessageBoxButton ShowMessageBox(const Text& text, const Text& caption, uint32_t style) override;

private:
    // Runs `call(widgets)` on the GUI thread; `cancelled` is the result when the session is
    // cancelled first. Everything the call needs is captured by value, because a cancelled
    // caller returns and leaves its stack while the posted call may still be queued.
    template <typename Result, typename Call>
    Result OnGuiThread(Call call, Result cancelled);

    QObject* m_guiObject;
    ControlWidgets m_widgets;
    std::shared_ptr<TaskSession> m_session;
};

}  // namespace melvora
