#include "activation/ActivateTrack.h"

#include <cstdio>
#include <system_error>

#include "activation/TrackFiles.h"
#include "download/ResumableDownload.h"

namespace melvora::activation {

namespace {

// True for any file or folder of that name, a dangling link included.
bool NameExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The size in bytes as the resume offset carries it: the low 32 bits.
int32_t ResumeOffsetOf(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<int32_t>(static_cast<uint32_t>(size));
}

DownloadOutcome Fail(TrackReport& report, DownloadOutcome outcome) {
    if (outcome != DownloadOutcome::Cancelled) {
        report.DownloadFailed(outcome);
    }
    return outcome;
}

}  // namespace

DownloadOutcome ActivateTrack(const TrackRequest& track, const std::filesystem::path& musicFolder,
                              download::Player& player, TrackReport& report,
                              const CancellationToken* cancellation) {
    if (cancellation != nullptr && cancellation->IsCancelled()) {
        return DownloadOutcome::Cancelled;
    }
    // A row whose address never resolved (or no row at all) has nothing to fetch: that is the
    // address's fault, whatever its name would have made on disk.
    if (track.playAddress.empty()) {
        return Fail(report, DownloadOutcome::CannotOpenUrl);
    }
    const auto files = MakeTrackFiles(musicFolder, track.songName);
    if (!files) {
        // Refused before anything touches the network or the disk, so no file can land outside
        // the music folder.
        return Fail(report, DownloadOutcome::CannotOpenLocalFile);
    }

    int32_t offset = 0;
    download::ResumeMode mode = download::ResumeMode::Fresh;
    if (NameExists(files->temporaryPath) && report.ResumeWanted()) {
        offset = ResumeOffsetOf(files->temporaryPath);
        mode = download::ResumeMode::Continue;
    }

    const DownloadOutcome outcome = download::ResumableDownload(
        {.address = track.playAddress,
         .localPath = files->temporaryPath,
         .offset = offset,
         .mode = mode,
         .progress =
             [&report, &track](int32_t contentLength, int32_t downloaded) {
                 report.DownloadProgressed(track.songName, contentLength, downloaded);
             },
         .cancellation = cancellation});
    if (outcome != DownloadOutcome::Done) {
        return Fail(report, outcome);
    }

    // rename(2) replaces an existing track file in one step. When it fails (the folder went
    // away, say), the temporary file stays and the next activation offers to resume it.
    std::rename(files->temporaryPath.c_str(), files->trackPath.c_str());
    report.TrackDownloaded(files->trackFileName);

    if (report.PlayAfterDownload()) {
        report.TrackPlaying(files->trackFileName);
        player.Play(files->trackPath);
    }
    return DownloadOutcome::Done;
}

void StopPlayback(download::Player& player) {
    player.Stop();
}

}  // namespace melvora::activation
