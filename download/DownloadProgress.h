#pragma once

#include <cstdint>
#include <functional>

#include "app/controls/Controls.h"
#include "text/Text.h"

namespace melvora::download {

// Called after every block written with the reply's content length and the downloaded count
// (the low 32 bits of each).
using DownloadProgressRoutine = std::function<void(int32_t contentLength, int32_t downloaded)>;

// Rounds half away from zero to two decimals, with a nudge of 1e-12 so that values one ulp
// below a half still round up.
double RoundToTwoDecimals(double value);

// A byte count as megabytes rounded to two decimals, written as "%.13g" writes it ("4.77", "1").
Text MegabytesText(int32_t bytes);

// "正在下载:" + song name + "    文件大小:" + size + "MB    已下载:" + downloaded + "MB".
Text DownloadProgressText(const Text& songName, int32_t contentLength, int32_t downloaded);

// Puts the progress text for the activated row's song into part 1 of the status bar.
void ShowDownloadProgress(Controls& controls, const Text& songName, int32_t contentLength,
                          int32_t downloaded);

}  // namespace melvora::download
