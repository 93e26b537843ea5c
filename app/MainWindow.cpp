#include "app/MainWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWindow>
#include <utility>

#include "app/ControlOperations.h"
#include "app/KeyPressFilter.h"
#include "app/MessageBox.h"
#include "app/QtText.h"
#include "app/StartUp.h"
#include "app/WindowSearchReport.h"
#include "app/WindowTrackReport.h"
#include "app/presentation/MessageTexts.h"
#include "docking/DockingStep.h"

namespace melvora {

MainWindow::MainWindow(WindowSystem& windowSystem, SearchBody searchBody, TrackHandlers tracks,
                       const std::filesystem::path& musicFolder)
    : m_widgets(BuildMainWindowLayout(*this)),
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
    const Text keyword = FromQString(m_widgets.controls.searchBox->text());
    if (keyword.empty()) {
        SetTimerPeriod(0);
        SetAlwaysOnTop(false);
        ShowModalMessageBox(ToQString(EmptySearchMessage()), ToQString(EmptySearchCaption()),
                            kMessageBoxOk);
        return;
    }
    SetTimerPeriod(1);
    m_searchRunner.Start([guiObject = static_cast<QObject*>(this), widgets = m_widgets.controls,
                          body = m_searchBody,
                          keyword](const std::shared_ptr<TaskSession>& session) {
        WindowSearchReport report(guiObject, widgets, session);
        body(keyword, report, session->Token());
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
    if (IsDownloading()) {
        return;
    }
    // The activated row is read now: whatever the selection turns into during the download,
    // the download stays the one asked for.
    m_downloadRunner.TryStart(
        [guiObject = static_cast<QObject*>(this), widgets = m_widgets.controls,
         track = SelectedTrack(m_widgets.controls),
         activate = m_tracks.activate](const std::shared_ptr<TaskSession>& session) {
            WindowTrackReport report(guiObject, widgets, session);
            activate(track, report, session->Token());
        });
}

void MainWindow::StopPlayback() {
    if (m_tracks.stop) {
        m_tracks.stop();
    }
}

void MainWindow::DockTimerTick() {
    const std::optional<FramePosition> place =
        DockingStep(m_widgets.controls.docking->isChecked(), static_cast<NativeWindowId>(winId()),
                    m_windowSystem, m_processNames, m_alwaysOnTop,
                    {.targetRect = m_targetRect, .collectedWindows = m_collectedWindows});
    // The tick runs a hundred times a second: a frame already in place is not moved again.
    if (place && pos() != QPoint(place->left, place->top)) {
        move(place->left, place->top);
    }
}

}  // namespace melvora
