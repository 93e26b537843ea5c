#include "download/ActivateTrack.h"

#include <cstdio>
#include <system_error>

#include "download/DownloadMessages.h"
#include "download/DownloadProgress.h"
#include "download/ResumableDownload.h"
#include "download/TrackFiles.h"

namespace melvora::download {

namespace {

constexpr int32_t kSongNameColumn = 0;
constexpr int32_t kPlayAddressColumn = 4;
constexpr int32_t kStatusPartProgress = 1;

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

}  // namespace

void ActivateTrack(Controls& controls, const std::filesystem::path& musicFolder, Player& player,
                   const CancellationToken* cancellation) {
    const int32_t row = controls.CurrentSelection();
    const Text playAddress = controls.CellText(row, kPlayAddressColumn);
    const Text songName = controls.CellText(row, kSongNameColumn);

    // A row whose address never resolved (or no row at all) has nothing to fetch: that is the
    // address's fault, whatever its name would have made on disk.
    if (playAddress.empty()) {
        controls.ShowMessageBox(CannotOpenUrlMessage());
        return;
    }
    const auto files = MakeTrackFiles(musicFolder, songName);
    if (!files) {
        // Refused before anything touches the network or the disk, so no file can land outside
        // the music folder.
        controls.ShowMessageBox(CannotOpenLocalFileMessage());
        return;
    }

    int32_t offset = 0;
    ResumeMode mode = ResumeMode::Fresh;
    if (NameExists(files->temporaryPath) &&
        controls.ShowMessageBox(ResumeQuestion(), ResumeQuestionCaption(),
                                kMessageBoxYesNoQuestion) == MessageBoxButton::Yes) {
        offset = ResumeOffsetOf(files->temporaryPath);
        mode = ResumeMode::Continue;
    }

    // The name shown is the activated row's, whatever the list's selection turns into meanwhile.
    const DownloadProgressRoutine progress = [&controls, &songName](int32_t contentLength,
                                                                    int32_t downloaded) {
        ShowDownloadProgress(controls, songName, contentLength, downloaded);
    };
    if (ResumableDownload(controls, playAddress, files->temporaryPath, progress, offset, mode,
                          cancellation) != kDownloadSucceeded) {
        return;
    }

    // rename(2) replaces an existing track file in one step. When it fails (the folder went
    // away, say), the temporary file stays and the next activation offers to resume it.
    std::rename(files->temporaryPath.c_str(), files->trackPath.c_str());
    controls.SetStatusText(kStatusPartProgress, DownloadFinishedText(files->trackFileName));

    if (controls.IsPlayAfterDownloadChecked()) {
        controls.SetStatusText(kStatusPartProgress, NowPlayingText(files->trackFileName));
        player.Play(files->trackPath);
    }
}

void StopPlayback(Player& player) {
    player.Stop();
}

}  // namespace melvora::download
