#include "download/Mpg123SdlPlayer.h"

#include <utility>
#include <vector>

#include "download/Mp3Decoder.h"
#include "download/SdlAudio.h"

namespace melvora::download {

namespace {

// Small device buffers keep a stop (which waits for SDL to let go of the device) quick.
constexpr Uint16 kDeviceFrames = 1024;
constexpr std::size_t kDecodeFrames = 4096;
constexpr std::chrono::milliseconds kPollInterval{10};
// Decoding runs this far ahead of the sound, so a busy machine does not make it stutter.
constexpr int kQueuedSeconds = 1;

// What one play owns; destroyed on the player thread once playing ends, closing the device.
struct Session {
    Mp3Decoder decoder;
    sdl::AudioDevice device;
};

}  // namespace

Mpg123SdlPlayer::Mpg123SdlPlayer() = default;

Mpg123SdlPlayer::~Mpg123SdlPlayer() {
    Stop();
    // m_audio goes after the thread, which used it, has been joined.
}

void Mpg123SdlPlayer::Play(const std::filesystem::path& mp3File) {
    std::lock_guard control(m_controlMutex);
    StopLocked();

    auto decoder = Mp3Decoder::Open(mp3File);
    if (!decoder) {
        return;
    }
    if (!m_audio) {
        m_audio = std::make_unique<sdl::AudioSubsystem>();
    }
    if (!m_audio->IsReady()) {
        return;
    }
    SDL_AudioSpec format{};
    format.freq = decoder->SampleRate();
    format.format = AUDIO_S16SYS;
    format.channels = static_cast<Uint8>(decoder->Channels());
    format.samples = kDeviceFrames;
    auto device = sdl::AudioDevice::Open(format);
    if (!device && m_audio->FallBackToDummy()) {
        // A driver that starts but has no device to open, as on a machine without sound.
        device = sdl::AudioDevice::Open(format);
    }
    if (!device) {
        return;
    }

    {
        std::lock_guard state(m_stateMutex);
        m_stopRequested = false;
        m_playing.store(true, std::memory_order_release);
    }
    auto session = std::make_unique<Session>(Session{std::move(*decoder), std::move(*device)});
    m_thread = std::thread([this, session = std::move(session)]() mutable {
        PlayToEnd(session->decoder, session->device);
        session.reset();
        std::lock_guard state(m_stateMutex);
        m_playing.store(false, std::memory_order_release);
        m_stateChanged.notify_all();
    });
}

void Mpg123SdlPlayer::Stop() {
    std::lock_guard control(m_controlMutex);
    StopLocked();
}

void Mpg123SdlPlayer::StopLocked() {
    {
        std::lock_guard state(m_stateMutex);
        m_stopRequested = true;
    }
    m_stateChanged.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void Mpg123SdlPlayer::WaitUntilFinished() {
    std::unique_lock state(m_stateMutex);
    m_stateChanged.wait(state, [this] { return !m_playing.load(std::memory_order_acquire); });
}

bool Mpg123SdlPlayer::WaitUnlessStopped(std::chrono::milliseconds pause) {
    std::unique_lock state(m_stateMutex);
    return !m_stateChanged.wait_for(state, pause, [this] { return m_stopRequested; });
}

void Mpg123SdlPlayer::PlayToEnd(Mp3Decoder& decoder, sdl::AudioDevice& device) {
    const std::size_t bytesPerSecond =
        static_cast<std::size_t>(decoder.SampleRate()) * decoder.BytesPerFrame() * kQueuedSeconds;
    std::vector<std::byte> buffer(kDecodeFrames * decoder.BytesPerFrame());
    bool started = false;
    for (;;) {
        if (device.QueuedBytes() >= bytesPerSecond) {
            if (!started) {
                device.Resume();
                started = true;
            }
            if (!WaitUnlessStopped(kPollInterval)) {
                return;
            }
            continue;
        }
        if (!WaitUnlessStopped(std::chrono::milliseconds(0))) {
            return;
        }
        const std::size_t decoded = decoder.Read(buffer);
        if (decoded == 0) {
            break;
        }
        if (!device.Queue(buffer.data(), static_cast<Uint32>(decoded))) {
            return;
        }
    }
    if (!started) {
        device.Resume();
    }
    // The track is over once SDL has taken the last samples; closing the device lets them out.
    while (device.QueuedBytes() > 0) {
        if (!WaitUnlessStopped(kPollInterval)) {
            return;
        }
    }
}

}  // namespace melvora::download
