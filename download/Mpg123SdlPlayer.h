#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "download/Player.h"

namespace melvora::download {

namespace sdl {
class AudioSubsystem;
class AudioDevice;
}  // namespace sdl
class Mp3Decoder;

// Decodes with libmpg123 and plays through SDL2 on a thread of its own. Without a sound device
// it plays into SDL's dummy driver. Play and Stop may come from different threads.
class Mpg123SdlPlayer : public Player {
public:
    Mpg123SdlPlayer();
    ~Mpg123SdlPlayer() override;
    Mpg123SdlPlayer(const Mpg123SdlPlayer&) = delete;
    Mpg123SdlPlayer& operator=(const Mpg123SdlPlayer&) = delete;

    void Play(const std::filesystem::path& mp3File) override;
    void Stop() override;

    // True from a successful start until the track has played to its end or was stopped.
    [[nodiscard]] bool IsPlaying() const { return m_playing.load(std::memory_order_acquire); }
    // Blocks until nothing plays.
    void WaitUntilFinished();

private:
    void PlayToEnd(Mp3Decoder& decoder, sdl::AudioDevice& device);
    // Sleeps up to `pause`; false when a stop was asked for.
    bool WaitUnlessStopped(std::chrono::milliseconds pause);
    void StopLocked();

    // Serialises Play and Stop with each other.
    std::mutex m_controlMutex;
    std::unique_ptr<sdl::AudioSubsystem> m_audio;
    std::thread m_thread;

    std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    bool m_stopRequested = false;
    std::atomic<bool> m_playing{false};
};

}  // namespace melvora::download
