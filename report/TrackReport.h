#pragma once

#include <cstdint>

#include "report/DownloadOutcome.h"
#include "text/Text.h"

namespace melvora {

// What the activation of a listed song asks and tells the window while it downloads and plays
// the song. Every call may come from a worker thread; the window carries it over to its own.
class TrackReport {
public:
    virtual ~TrackReport() = default;

    // An unfinished download of the song is on the disk: true to go on from where it stopped,
    // false to start it over.
    virtual bool ResumeWanted() = 0;
    // After every block written: the reply's announced length and the bytes on the disk so far
    // (the low 32 bits of each).
    virtual void DownloadProgressed(const Text& songName, int32_t contentLength,
                                    int32_t downloaded) = 0;
    // The activation ended without a track: never called with Done, nor for a cancellation,
    // which ends quietly.
    virtual void DownloadFailed(DownloadOutcome outcome) = 0;
    // The track file `trackFileName` ("<song>.mp3") is complete.
    virtual void TrackDownloaded(const Text& trackFileName) = 0;
    // Asked once the track is complete: whether to play it now.
    virtual bool PlayAfterDownload() = 0;
    virtual void TrackPlaying(const Text& trackFileName) = 0;
};

}  // namespace melvora
