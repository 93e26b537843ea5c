#pragma once

#include <cstdint>
#include <filesystem>

#include "download/Player.h"
#include "report/DownloadOutcome.h"
#include "report/TrackReport.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora::activation {

// The listed song the user activated, as its row read when it was activated.
struct TrackRequest {
    Text songName;
    Text playAddress;
};

// The double-click on a row of the result list: downloads the song's address into
// `musicFolder` as "<song>.mp3" (through "<song>.mp3.tmp", offering to resume one that is
// there), reports completion and, when the window says so, plays it.
//
// Everything it asks or tells the window goes through `report`, so it may run on a worker
// thread. At most one may run at a time. `cancellation` ends a running download quietly: the
// activation then stops as after a failure, without a word. Returns how the download ended.
DownloadOutcome ActivateTrack(const TrackRequest& track, const std::filesystem::path& musicFolder,
                              download::Player& player, TrackReport& report,
                              const CancellationToken* cancellation = nullptr);

// The stop button: ends the playing track. The status bar is left as it is.
void StopPlayback(download::Player& player);

}  // namespace melvora::activation
