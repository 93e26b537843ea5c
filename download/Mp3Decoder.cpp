#include "download/Mp3Decoder.h"

#include <mutex>

#include "download/Mpg123.h"

namespace melvora::download {

namespace mpg123 {

bool EnsureLibraryInit() {
    static std::once_flag once;
    static bool initialised = false;
    std::call_once(once, [] { initialised = mpg123_init() == MPG123_OK; });
    return initialised;
}

}  // namespace mpg123

void Mp3Decoder::HandleDelete::operator()(mpg123_handle_struct* handle) const {
    mpg123::HandleDelete()(handle);
}

Mp3Decoder::~Mp3Decoder() = default;
Mp3Decoder::Mp3Decoder(Mp3Decoder&&) noexcept = default;
Mp3Decoder& Mp3Decoder::operator=(Mp3Decoder&&) noexcept = default;

std::optional<Mp3Decoder> Mp3Decoder::Open(const std::filesystem::path& file) {
    if (!mpg123::EnsureLibraryInit()) {
        return std::nullopt;
    }
    int error = MPG123_OK;
    mpg123::Handle handle(mpg123_new(nullptr, &error));
    if (!handle) {
        return std::nullopt;
    }
    // Playback failures are not reported, so the library must not print them either.
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    // Whatever the file's rate and channels, always 16-bit samples.
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open(handle.get(), file.c_str()) != MPG123_OK) {
        return std::nullopt;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK ||
        encoding != MPG123_ENC_SIGNED_16 || rate <= 0 || channels <= 0) {
        return std::nullopt;
    }
    // Keep the format fixed for the whole file, so a player can set its output up once.
    mpg123_format_none(handle.get());
    mpg123_format(handle.get(), rate, channels, encoding);

    Mp3Decoder decoder;
    decoder.m_handle.reset(handle.release());
    decoder.m_sampleRate = static_cast<int32_t>(rate);
    decoder.m_channels = channels;
    return decoder;
}

int64_t Mp3Decoder::LengthInFrames() const {
    const off_t length = mpg123_length(m_handle.get());
    return length < 0 ? -1 : static_cast<int64_t>(length);
}

std::size_t Mp3Decoder::Read(std::span<std::byte> buffer) {
    std::size_t total = 0;
    while (total < buffer.size()) {
        size_t done = 0;
        const int result =
            mpg123_read(m_handle.get(), reinterpret_cast<unsigned char*>(buffer.data() + total),
                        buffer.size() - total, &done);
        total += done;
        if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && done > 0)) {
            continue;
        }
        // MPG123_DONE at the end, or an error: what was decoded so far is still good.
        break;
    }
    return total;
}

}  // namespace melvora::download
