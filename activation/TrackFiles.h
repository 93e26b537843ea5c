#pragma once

#include <filesystem>
#include <optional>

#include "text/Text.h"

namespace melvora::activation {

// Where one song's download goes: "<song>.mp3" in the music folder, and "<song>.mp3.tmp" while
// it downloads. The names on the disk are the UTF-8 form of the GBK song name.
struct TrackFiles {
    // song name + ".mp3", as GBK text for the status bar.
    Text trackFileName;
    std::filesystem::path trackPath;
    std::filesystem::path temporaryPath;
};

// nullopt when the song name cannot be a file name inside the music folder: it is empty, holds
// "/" or "\" or a control character, or makes a name longer than the file system allows.
std::optional<TrackFiles> MakeTrackFiles(const std::filesystem::path& musicFolder,
                                         const Text& songName);

}  // namespace melvora::activation
