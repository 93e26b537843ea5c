#include "download/SdlAudio.h"

#include <cstdlib>
#include <utility>

namespace melvora::download::sdl {

namespace {
constexpr const char* kDummyDriver = "dummy";
}

AudioSubsystem::AudioSubsystem() {
    // The program has its own signal handling; SDL must not take over SIGINT and SIGTERM.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    m_ready = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!m_ready) {
        FallBackToDummy();
    }
}

AudioSubsystem::~AudioSubsystem() {
    if (m_ready) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

bool AudioSubsystem::FallBackToDummy() {
    if (m_onDummy) {
        return false;
    }
    m_onDummy = true;
    if (m_ready) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    // SDL picks its driver from the environment when the subsystem starts.
    setenv("SDL_AUDIODRIVER", kDummyDriver, 1);
    m_ready = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return m_ready;
}

std::optional<AudioDevice> AudioDevice::Open(const SDL_AudioSpec& format) {
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &format, &obtained, 0);
    if (id == 0) {
        return std::nullopt;
    }
    return AudioDevice(id, format);
}

AudioDevice::~AudioDevice() {
    if (m_id != 0) {
        SDL_CloseAudioDevice(m_id);
    }
}

AudioDevice::AudioDevice(AudioDevice&& other) noexcept
    : m_id(std::exchange(other.m_id, 0)), m_format(other.m_format) {}

AudioDevice& AudioDevice::operator=(AudioDevice&& other) noexcept {
    if (this != &other) {
        if (m_id != 0) {
            SDL_CloseAudioDevice(m_id);
        }
        m_id = std::exchange(other.m_id, 0);
        m_format = other.m_format;
    }
    return *this;
}

bool AudioDevice::Queue(const void* samples, Uint32 byteCount) {
    return SDL_QueueAudio(m_id, samples, byteCount) == 0;
}

Uint32 AudioDevice::QueuedBytes() const {
    return SDL_GetQueuedAudioSize(m_id);
}

void AudioDevice::Resume() {
    SDL_PauseAudioDevice(m_id, 0);
}

}  // namespace melvora::download::sdl
