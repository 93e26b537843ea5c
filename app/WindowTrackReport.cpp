#include "app/WindowTrackReport.h"

#include <QCheckBox>

#include "app/ControlOperations.h"
#include "app/GuiThreadCall.h"
#include "app/MessageBox.h"
#include "app/QtText.h"
#include "app/ResultListColumns.h"
#include "app/presentation/MessageTexts.h"
#include "app/presentation/StatusTexts.h"

namespace melvora {

WindowTrackReport::WindowTrackReport(QObject* guiObject, ControlWidgets widgets,
                                     std::shared_ptr<TaskSession> session)
    : m_guiObject(guiObject), m_widgets(widgets), m_session(std::move(session)) {}

bool WindowTrackReport::ResumeWanted() {
    return CallOnGuiThread(
        m_guiObject, m_session,
        [] {
            return ShowModalMessageBox(ToQString(ResumeQuestion()),
                                       ToQString(ResumeQuestionCaption()),
                                       kMessageBoxYesNoQuestion) == MessageBoxButton::Yes;
        },
        false);
}

void WindowTrackReport::DownloadProgressed(const Text& songName, int32_t contentLength,
                                           int32_t downloaded) {
    ShowProgressText(DownloadProgressText(songName, contentLength, downloaded));
}

void WindowTrackReport::DownloadFailed(DownloadOutcome outcome) {
    const std::optional<Text> message = OutcomeMessage(outcome);
    if (!message) {
        return;
    }
    CallOnGuiThread(
        m_guiObject, m_session,
        [text = *message] {
            ShowModalMessageBox(ToQString(text), ToQString(InformationCaption()), kMessageBoxOk);
            return true;
        },
        false);
}

void WindowTrackReport::TrackDownloaded(const Text& trackFileName) {
    ShowProgressText(DownloadFinishedText(trackFileName));
}

bool WindowTrackReport::PlayAfterDownload() {
    return CallOnGuiThread(
        m_guiObject, m_session,
        [widgets = m_widgets] { return widgets.playAfterDownload->isChecked(); }, false);
}

void WindowTrackReport::TrackPlaying(const Text& trackFileName) {
    ShowProgressText(NowPlayingText(trackFileName));
}

void WindowTrackReport::ShowProgressText(Text text) {
    CallOnGuiThread(
        m_guiObject, m_session,
        [widgets = m_widgets, text = std::move(text)] {
            SetStatusText(widgets, kProgressPart, text);
            return true;
        },
        false);
}

}  // namespace melvora
