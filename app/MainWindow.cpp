#include "app/MainWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWindow>
#include <utility>

#include "app/KeyPressFilter.h"
#include "app/StartUp.h"
#include "docking/DockingStep.h"

namespace melvora {

using namespace literals;

namespace {

// The calls a window makes from its own thread can never be cancelled.
std::shared_ptr<TaskSession> GuiThreadSession() {
    return std::make_shared<TaskSession>();
}

}  // namespace

MainWindow::MainWindow(WindowSystem& windowSystem, SearchBody searchBody, TrackHandlers tracks,
                       const std::filesystem::path& musicFolder)
    : m_widgets(BuildMainWindowLayout(*this)),
      m_controls(this, m_widgets.controls, GuiThreadSession()),
      m_windowSystem(windowSystem),
      m_alwaysOnTop(windowSystem),
      m_timer([this] { DockTimerTick(); }),
      m_searchBody(std::move(searchBody)),
      m_tracks(std::move(tracks)) {
    setWindowTitle(QStringLiteral("Melvora"));
    // A top-level widget's position is that of its frame.
    move(50, 50);

    connect(m_widgets.searchButton, &QPushButton::clicked, this, [this] { StartSearch(); });
    connect(m_widgets.stopButton, &QPushButton::clicked, this, [this] { StopPlayback(); });
    connect(m_widgets.controls.resultList, &QTableWidget::cellDoubleClicked, this,
            [this] { ActivateTrack(); });
    new KeyPressFilter(m_widgets.controls.searchBox, [this](int32_t keyCode, int32_t shiftState) {
        SearchBoxKeyPressed(keyCode, shiftState);
    });

    MainWindowCreated(musicFolder);
    SetTimerPeriod(1);
}

MainWindow::~MainWindow() {
    EndDownload();
    EndSearches();
}

void MainWindow::SetLeft(int32_t left) {
    move(left, y());
}

void MainWindow::SetTop(int32_t top) {
    move(x(), top);
}

void MainWindow::SetAlwaysOnTop(bool onTop) {
    // Through the window system itself: a window flag would make Qt recreate the native window.
    m_alwaysOnTop.Set(static_cast<NativeWindowId>(winId()), onTop);
}

void MainWindow::SetTimerPeriod(int32_t milliseconds) {
    m_timer.SetPeriod(milliseconds);
}

void MainWindow::StartSearch() {
    if (m_controls.SearchText().empty()) {
        SetTimerPeriod(0);
        SetAlwaysOnTop(false);
        m_controls.ShowMessageBox("请输入要搜索的内容"_gbk, "提示"_gbk, kMessageBoxOk);
        return;
    }
    SetTimerPeriod(1);
    m_searchRunner.Start([guiObject = static_cast<QObject*>(this), widgets = m_widgets.controls,
                          body = m_searchBody](const std::shared_ptr<TaskSession>& session) {
        QtControls controls(guiObject, widgets, session);
        body(controls, session->Token());
    });
}

void MainWindow::SearchBoxKeyPressed(int32_t keyCode, int32_t /*shiftState*/) {
    if (keyCode == KeyPressFilter::kEnterKeyCode) {
        StartSearch();
    }
}

void MainWindow::EndSearches() {
    m_searchRunner.CancelAndJoin();
}

void MainWindow::EndDownload() {
    m_downloadRunner.CancelAndJoin();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    EndDownload();
    EndSearches();
    event->accept();
}

void MainWindow::ActivateTrack() {
    if (!m_tracks.activate) {
        return;
    }
    m_downloadRunner.TryStart(
        [guiObject = static_cast<QObject*>(this), widgets = m_widgets.controls,
         activate = m_tracks.activate](const std::shared_ptr<TaskSession>& session) {
            QtControls controls(guiObject, widgets, session);
            activate(controls, session->Token());
        });
}

void MainWindow::StopPlayback() {
    if (m_tracks.stop) {
        m_tracks.stop();
    }
}

void MainWindow::DockTimerTick() {
    const std::optional<FramePosition> place = DockingStep(
        m_widgets.controls.docking->isChecked(), static_cast<NativeWindowId>(winId()),
        m_windowSystem, m_processNames, m_alwaysOnTop,
        {.targetRect = m_variables->targetRect, .collectedWindows = m_variables->collectedWindows});
    // The tick runs a hundred times a second: a frame already in place is not moved again.
    if (place && pos() != QPoint(place->left, place->top)) {
        move(place->left, place->top);
    }
}

}  // namespace melvora
