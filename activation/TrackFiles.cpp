#include "activation/TrackFiles.h"

#include <climits>
#include <string>

#include "text/CodePage.h"

namespace melvora::activation {

namespace {

constexpr std::string_view kTrackSuffix = ".mp3";
constexpr std::string_view kTemporarySuffix = ".tmp";

// Checked on the UTF-8 form, where every byte below 0x80 is the ASCII character itself; in GBK
// a backslash byte can be the second half of a Chinese character.
bool IsUsableFileName(std::string_view utf8Name) {
    if (utf8Name.empty()) {
        return false;
    }
    for (const char c : utf8Name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '/' || byte == '\\' || byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<TrackFiles> MakeTrackFiles(const std::filesystem::path& musicFolder,
                                         const Text& songName) {
    const std::string utf8Name = Utf8FromGbk(songName);
    if (!IsUsableFileName(utf8Name)) {
        return std::nullopt;
    }
    const std::string trackName = utf8Name + std::string(kTrackSuffix);
    const std::string temporaryName = trackName + std::string(kTemporarySuffix);
    if (temporaryName.size() > NAME_MAX) {
        return std::nullopt;
    }
    return TrackFiles{
        .trackFileName = songName + Text(kTrackSuffix),
        .trackPath = musicFolder / trackName,
        .temporaryPath = musicFolder / temporaryName,
    };
}

}  // namespace melvora::activation
