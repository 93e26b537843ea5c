#pragma once

#include <filesystem>
#include <mutex>
#include <vector>

#include "download/Player.h"

namespace melvora::download {

// A player that keeps a log of its calls instead of making sound, for tests of the code that
// drives playback.
class RecordingPlayer : public Player {
public:
    struct Call {
        enum class Kind { Play, Stop } kind;
        std::filesystem::path file;
        friend bool operator==(const Call&, const Call&) = default;
    };

    void Play(const std::filesystem::path& mp3File) override;
    void Stop() override;

    [[nodiscard]] std::vector<Call> Calls();

private:
    std::mutex m_mutex;
    std::vector<Call> m_calls;
};

}  // namespace melvora::download
