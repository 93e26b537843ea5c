#pragma once

#include <filesystem>

#include "app/controls/Controls.h"
#include "download/Player.h"
#include "text/Cancellation.h"

namespace melvora::download {

// The double-click on a row of the result list: downloads the selected row's address into
// `musicFolder` as "<song>.mp3" (through "<song>.mp3.tmp", offering to resume one that is
// there), reports completion in part 1 of the status bar and, when 选择框1 is ticked, plays it.
//
// Everything it does to the window goes through `controls`, so it may run on a worker thread
// whose Controls carry the calls over to the GUI thread. At most one may run at a time.
// `cancellation` ends a running download quietly (the activation then stops as after a failure).
void ActivateTrack(Controls& controls, const std::filesystem::path& musicFolder, Player& player,
                   const CancellationToken* cancellation = nullptr);

// The stop button: ends the playing track. The status bar is left as it is.
void StopPlayback(Player& player);

}  // namespace melvora::download
