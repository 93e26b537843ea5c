#pragma once

// The one owner of SDL2. Include this header instead of <SDL.h>, and only from .cpp files.

#include <SDL.h>

#include <optional>

namespace melvora::download::sdl {

// SDL's audio subsystem for the owner's lifetime. When no real sound device can be reached it
// falls back to SDL's "dummy" driver, which plays into nothing at the pace of real audio.
class AudioSubsystem {
public:
    AudioSubsystem();
    ~AudioSubsystem();
    AudioSubsystem(const AudioSubsystem&) = delete;
    AudioSubsystem& operator=(const AudioSubsystem&) = delete;

    [[nodiscard]] bool IsReady() const { return m_ready; }
    // Moves to the dummy driver (once); false when that is impossible or already done.
    bool FallBackToDummy();

private:
    bool m_ready = false;
    bool m_onDummy = false;
};

// One opened output device, started paused, closed on every path.
class AudioDevice {
public:
    // Exactly `format`, which SDL converts to the hardware's if need be; nullopt on failure.
    static std::optional<AudioDevice> Open(const SDL_AudioSpec& format);

    ~AudioDevice();
    AudioDevice(AudioDevice&& other) noexcept;
    AudioDevice& operator=(AudioDevice&& other) noexcept;
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    bool Queue(const void* samples, Uint32 byteCount);
    [[nodiscard]] Uint32 QueuedBytes() const;
    void Resume();
    [[nodiscard]] const SDL_AudioSpec& Format() const { return m_format; }

private:
    AudioDevice(SDL_AudioDeviceID id, const SDL_AudioSpec& format) : m_id(id), m_format(format) {}

    SDL_AudioDeviceID m_id = 0;
    SDL_AudioSpec m_format{};
};

}  // namespace melvora::download::sdl
