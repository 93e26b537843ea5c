#pragma once

#include <QObject>
#include <memory>

#include "app/ControlWidgets.h"
#include "app/TaskSession.h"
#include "report/TrackReport.h"

namespace melvora {

// An activation's report shown in the main window: questions and failures as message boxes,
// progress and completion in part 1 of 状态条1, the play question answered by 选择框1. Each call
// is carried over to the GUI thread while the activation waits; once its session is cancelled
// the calls return at once (no to every question) and nothing more is shown.
class WindowTrackReport : public TrackReport {
public:
    // `guiObject` lives on the GUI thread and outlives the widgets' use.
    WindowTrackReport(QObject* guiObject, ControlWidgets widgets,
                      std::shared_ptr<TaskSession> session);

    bool ResumeWanted() override;
    void DownloadProgressed(const Text& songName, int32_t contentLength,
                            int32_t downloaded) override;
    void DownloadFailed(DownloadOutcome outcome) override;
    void TrackDownloaded(const Text& trackFileName) override;
    bool PlayAfterDownload() override;
    void TrackPlaying(const Text& trackFileName) override;

private:
    void ShowProgressText(Text text);

    QObject* m_guiObject;
    ControlWidgets m_widgets;
    std::shared_ptr<TaskSession> m_session;
};

}  // namespace melvora
