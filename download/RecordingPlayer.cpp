#include "download/RecordingPlayer.h"

namespace melvora::download {

void RecordingPlayer::Play(const std::filesystem::path& mp3File) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back({.kind = Call::Kind::Play, .file = mp3File});
}

void RecordingPlayer::Stop() {
    std::lock_guard lock(m_mutex);
    m_calls.push_back({.kind = Call::Kind::Stop, .file = {}});
}

std::vector<RecordingPlayer::Call> RecordingPlayer::Calls() {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

}  // namespace melvora::download
