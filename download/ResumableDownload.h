#pragma once

#include <cstdint>
#include <filesystem>

#include "download/DownloadHeaders.h"
#include "download/DownloadRequest.h"
#include "report/DownloadOutcome.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora::download {

// The largest block written to the file and reported to the progress routine at once.
inline constexpr std::size_t kDownloadBlockSize = 10240;

// Fetches the request's `address` (http or https, redirects followed, the system's proxy
// settings applied) into `localPath`, block by block, calling `progress` after every block
// written.
//
// Fresh: the file is created or emptied and written from byte 0. Continue: the server is asked
// for the bytes from `offset` on; a 206 starting at `offset` is appended, a 200 that ignored the
// range starts the file over, and a 416 saying the resource is exactly as long as the file
// means it is already complete. The file is opened only once the reply's head has been judged,
// so an error page never reaches it.
//
// Returns Done once the whole body is on the disk, else the failure, for the window to show.
// Bytes written before a failure stay in the file; a cancelled download keeps the bytes it wrote.
DownloadOutcome ResumableDownload(const DownloadRequest& request);

}  // namespace melvora::download
