#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>

struct mpg123_handle_struct;

namespace melvora::download {

// Decodes one MP3 file to interleaved signed 16-bit samples in native byte order, gaps of the
// encoder removed, so it yields exactly the samples the file holds.
class Mp3Decoder {
public:
    // nullopt when the file is missing or holds no MPEG audio.
    static std::optional<Mp3Decoder> Open(const std::filesystem::path& file);

    ~Mp3Decoder();
    Mp3Decoder(Mp3Decoder&&) noexcept;
    Mp3Decoder& operator=(Mp3Decoder&&) noexcept;

    [[nodiscard]] int32_t SampleRate() const { return m_sampleRate; }
    [[nodiscard]] int32_t Channels() const { return m_channels; }
    [[nodiscard]] std::size_t BytesPerFrame() const {
        return static_cast<std::size_t>(m_channels) * sizeof(int16_t);
    }
    // The number of sample frames in the whole file as the decoder reckons it, -1 if unknown.
    [[nodiscard]] int64_t LengthInFrames() const;

    // Fills `buffer` from the current position; returns the bytes written, 0 at the end of the
    // file or when decoding fails.
    std::size_t Read(std::span<std::byte> buffer);

private:
    struct HandleDelete {
        void operator()(mpg123_handle_struct* handle) const;
    };

    Mp3Decoder() = default;

    std::unique_ptr<mpg123_handle_struct, HandleDelete> m_handle;
    int32_t m_sampleRate = 0;
    int32_t m_channels = 0;
};

}  // namespace melvora::download
