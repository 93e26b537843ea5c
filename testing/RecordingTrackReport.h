#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "report/TrackReport.h"

namespace melvora::testing {

// A track report kept in plain memory: answers the resume question and the play-after-download
// question as told, and logs what it was told. Thread-safe.
class RecordingTrackReport : public TrackReport {
public:
    struct Progress {
        Text songName;
        int32_t contentLength = 0;
        int32_t downloaded = 0;
        friend bool operator==(const Progress&, const Progress&) = default;
        friend void PrintTo(const Progress& progress, std::ostream* out) {
            PrintTo(progress.songName, out);
            *out << " " << progress.downloaded << "/" << progress.contentLength;
        }
    };

    bool ResumeWanted() override;
    void DownloadProgressed(const Text& songName, int32_t contentLength,
                            int32_t downloaded) override;
    void DownloadFailed(DownloadOutcome outcome) override;
    void TrackDownloaded(const Text& trackFileName) override;
    bool PlayAfterDownload() override;
    void TrackPlaying(const Text& trackFileName) override;

    // Set-up by the test; both answers are yes until told otherwise.
    void AnswerResumeWith(bool resume) { m_resume = resume; }
    void AnswerPlayAfterDownloadWith(bool play) { m_play = play; }

    // "resume?", "failed CannotOpenUrl", "downloaded <name>", "play?", "playing <name>", in order
    // (the progress reports are kept apart, in Progresses()). Names are GBK.
    [[nodiscard]] std::vector<std::string> Events();
    [[nodiscard]] std::vector<Progress> Progresses();
    [[nodiscard]] std::vector<DownloadOutcome> Failures();
    // How many times the resume question was asked.
    [[nodiscard]] int ResumeQuestions();

private:
    void Record(std::string event);

    std::atomic<bool> m_resume = true;
    std::atomic<bool> m_play = true;
    std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::vector<Progress> m_progresses;
    std::vector<DownloadOutcome> m_failures;
};

}  // namespace melvora::testing
