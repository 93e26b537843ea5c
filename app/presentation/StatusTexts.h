#pragma once

#include <cstdint>

#include "text/Text.h"

namespace melvora {

// The texts of the status bar, in GBK.

// "歌曲数量：" + the count, in part 0 once a search has listed its hits.
Text SongCountText(int32_t songCount);

// Rounds half away from zero to two decimals, with a nudge of 1e-12 so that values one ulp
// below a half still round up.
double RoundToTwoDecimals(double value);

// A byte count as megabytes rounded to two decimals, written as "%.13g" writes it ("4.77", "1").
Text MegabytesText(int32_t bytes);

// "正在下载:" + song name + "    文件大小:" + size + "MB    已下载:" + downloaded + "MB".
Text DownloadProgressText(const Text& songName, int32_t contentLength, int32_t downloaded);

// "[" + track file name + "]  下载完毕"
Text DownloadFinishedText(const Text& trackFileName);
// "正在播放：[" + track file name + "]"
Text NowPlayingText(const Text& trackFileName);

}  // namespace melvora
