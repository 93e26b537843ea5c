#include "testing/RecordingTrackReport.h"

#include <algorithm>

namespace melvora::testing {

namespace {

const char* NameOf(DownloadOutcome outcome) {
    switch (outcome) {
        case DownloadOutcome::Done:
            return "Done";
        case DownloadOutcome::Cancelled:
            return "Cancelled";
        case DownloadOutcome::InternetError:
            return "InternetError";
        case DownloadOutcome::CannotOpenUrl:
            return "CannotOpenUrl";
        case DownloadOutcome::CannotOpenLocalFile:
            return "CannotOpenLocalFile";
        case DownloadOutcome::ReadError:
            return "ReadError";
        case DownloadOutcome::WriteError:
            return "WriteError";
    }
    return "?";
}

}  // namespace

bool RecordingTrackReport::ResumeWanted() {
    Record("resume?");
    return m_resume;
}

void RecordingTrackReport::DownloadProgressed(const Text& songName, int32_t contentLength,
                                              int32_t downloaded) {
    std::lock_guard lock(m_mutex);
    m_progresses.push_back(
        {.songName = songName, .contentLength = contentLength, .downloaded = downloaded});
}

void RecordingTrackReport::DownloadFailed(DownloadOutcome outcome) {
    Record(std::string("failed ") + NameOf(outcome));
    std::lock_guard lock(m_mutex);
    m_failures.push_back(outcome);
}

void RecordingTrackReport::TrackDownloaded(const Text& trackFileName) {
    Record("downloaded " + trackFileName.str());
}

bool RecordingTrackReport::PlayAfterDownload() {
    Record("play?");
    return m_play;
}

void RecordingTrackReport::TrackPlaying(const Text& trackFileName) {
    Record("playing " + trackFileName.str());
}

std::vector<std::string> RecordingTrackReport::Events() {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<RecordingTrackReport::Progress> RecordingTrackReport::Progresses() {
    std::lock_guard lock(m_mutex);
    return m_progresses;
}

std::vector<DownloadOutcome> RecordingTrackReport::Failures() {
    std::lock_guard lock(m_mutex);
    return m_failures;
}

int RecordingTrackReport::ResumeQuestions() {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count(m_events.begin(), m_events.end(), "resume?"));
}

void RecordingTrackReport::Record(std::string event) {
    std::lock_guard lock(m_mutex);
    m_events.push_back(std::move(event));
}

}  // namespace melvora::testing
