#pragma once

#include <filesystem>

namespace melvora::download {

// Plays MP3 files in the background, one at a time.
class Player {
public:
    virtual ~Player() = default;

    // Stops what plays, then starts `mp3File` once from its start and returns at once. A file
    // that cannot be played is passed over in silence.
    virtual void Play(const std::filesystem::path& mp3File) = 0;
    // Ends what plays; nothing happens when nothing plays.
    virtual void Stop() = 0;
};

}  // namespace melvora::download
