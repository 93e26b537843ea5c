#pragma once

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "activation/ActivateTrack.h"
#include "app/DockTimer.h"
#include "app/DownloadRunner.h"
#include "app/MainWindowLayout.h"
#include "app/SearchRunner.h"
#include "app/StartUp.h"
#include "docking/AlwaysOnTopSwitch.h"
#include "docking/ProcessNameReader.h"
#include "docking/TargetRect.h"
#include "docking/WindowEntry.h"
#include "docking/WindowSystem.h"
#include "report/SearchReport.h"
#include "report/TrackReport.h"
#include "text/Cancellation.h"

namespace melvora {

// The main window: its controls, the wiring of their events to the handlers, the window
// operations the other parts of the program call, and the background search.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The body of one search task for the keyword in the search box; it reaches the window
    // only through `report`.
    using SearchBody = std::function<void(const Text& keyword, SearchReport& report,
                                          const CancellationToken& cancellation)>;

    // What a double-click on a row and the stop button do: download and play the selected
    // song, and stop playing. The activation runs on a worker thread and reaches the window
    // only through `report`; stopping runs on the GUI thread.
    struct TrackHandlers {
        std::function<void(const activation::TrackRequest& track, TrackReport& report,
                           const CancellationToken& cancellation)>
            activate;
        std::function<void()> stop;
    };

    // `musicFolder` is made when the window is created; by default the one this run would choose.
    MainWindow(WindowSystem& windowSystem, SearchBody searchBody, TrackHandlers tracks = {},
               const std::filesystem::path& musicFolder = MusicFolderOfThisRun());
    ~MainWindow() override;

    // Window operations; GUI thread only. Left and top place the outer frame in screen pixels.
    void SetLeft(int32_t left);
    void SetTop(int32_t top);
    void SetAlwaysOnTop(bool onTop);
    [[nodiscard]] bool IsAlwaysOnTop() const { return m_alwaysOnTop.IsOn(); }
    void SetTimerPeriod(int32_t milliseconds);
    [[nodiscard]] const DockTimer& Timer() const { return m_timer; }

    // Click on 按钮_搜索: checks the search box and starts a search.
    void StartSearch();
    // Key pressed in 搜索框: Enter (13) starts a search; the shift state is not used.
    void SearchBoxKeyPressed(int32_t keyCode, int32_t shiftState);

    // Cancels the running search and waits until every search thread has ended.
    void EndSearches();
    // Cancels a running download and waits for its thread.
    void EndDownload();
    [[nodiscard]] bool IsDownloading() const { return m_downloadRunner.IsRunning(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Double-click on a row of 歌曲超级列表框: downloads and plays the song on a worker
    // thread; a double-click while a download runs does nothing.
    void ActivateTrack();
    // Click on 按钮_停止: stops playback, at any time.
    void StopPlayback();
    // Every tick of 时钟1: keeps the window on top and docked beside the music client while
    // 选择框2 is ticked, and off the top while it is not.
    void DockTimerTick();

    MainWindowWidgets m_widgets;
    WindowSystem& m_windowSystem;
    ProcessNameReader m_processNames;
    AlwaysOnTopSwitch m_alwaysOnTop;
    // What the docking tick works on: the client's window as it last found it, and the window
    // list of one lookup.
    TargetRect m_targetRect;
    std::vector<WindowEntry> m_collectedWindows;
    DockTimer m_timer;
    SearchBody m_searchBody;
    TrackHandlers m_tracks;
    DownloadRunner m_downloadRunner;
    // Declared last, so its threads are cancelled and joined before anything they use goes.
    SearchRunner m_searchRunner;
};

}  // namespace melvora
