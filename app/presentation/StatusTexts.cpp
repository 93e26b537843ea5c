#include "app/presentation/StatusTexts.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace melvora {

using namespace literals;

namespace {
constexpr double kBytesPerMegabyte = 1048576.0;
}  // namespace

double RoundToTwoDecimals(double value) {
    if (value == 0.0) {
        return 0.0;
    }
    const double scaled = std::fabs(value) * 100.0 + 0.000000000001;
    double whole = 0.0;
    const double fraction = std::modf(scaled, &whole);
    const double rounded = (fraction >= 0.5 ? whole + 1.0 : whole) / 100.0;
    // A value that rounds to nothing is plain 0, never "-0".
    return rounded == 0.0 ? 0.0 : std::copysign(rounded, value);
}

Text MegabytesText(int32_t bytes) {
    const double megabytes = RoundToTwoDecimals(static_cast<double>(bytes) / kBytesPerMegabyte);
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.13g", megabytes);
    return Text(buffer.data());
}

Text DownloadProgressText(const Text& songName, int32_t contentLength, int32_t downloaded) {
    // Converted once: this text is composed after every block of every download.
    static const Text downloading = "正在下载:"_gbk;
    static const Text fileSize = "    文件大小:"_gbk;
    static const Text received = "MB    已下载:"_gbk;
    Text text = downloading;
    text += songName;
    text += fileSize;
    text += MegabytesText(contentLength);
    text += received;
    text += MegabytesText(downloaded);
    text += "MB";
    return text;
}

Text SongCountText(int32_t songCount) {
    return "歌曲数量："_gbk + Text(std::to_string(songCount));
}

Text DownloadFinishedText(const Text& trackFileName) {
    return Text("[") + trackFileName + "]  下载完毕"_gbk;
}

Text NowPlayingText(const Text& trackFileName) {
    return "正在播放：["_gbk + trackFileName + "]";
}

}  // namespace melvora
