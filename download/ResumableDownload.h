#pragma once

#include <cstdint>
#include <filesystem>

#include "app/controls/Controls.h"
#include "download/DownloadHeaders.h"
#include "download/DownloadProgress.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora::download {

inline constexpr int32_t kDownloadSucceeded = 0;
inline constexpr int32_t kDownloadFailed = -1;

// The largest block written to the file and reported to the progress routine at once.
inline constexpr std::size_t kDownloadBlockSize = 10240;

// Fetches `address` (http or https, redirects followed, the system's proxy settings applied)
// into `localPath`, block by block, calling `progress` after every block written.
//
// Fresh: the file is created or emptied and written from byte 0. Continue: the server is asked
// for the bytes from `offset` on; a 206 starting at `offset` is appended, a 200 that ignored the
// range starts the file over, and a 416 saying the resource is exactly as long as the file
// means it is already complete. The file is opened only once the reply's head has been judged,
// so an error page never reaches it.
//
// Returns 0 once the whole body is on the disk, -1 after a failure, which has been shown in a
// message box through `controls` ("不能打开该URL!", "不能打开本地的文件!", "读文件出错!",
// "写文件出错!", "Internet连接错误!"). Bytes written before a failure stay in the file.
// A cancelled download returns -1 without a message box, keeping the bytes it wrote.
int32_t ResumableDownload(Controls& controls, const Text& address,
                          const std::filesystem::path& localPath,
                          const DownloadProgressRoutine& progress, int32_t offset, ResumeMode mode,
                          const CancellationToken* cancellation = nullptr);

}  // namespace melvora::download
