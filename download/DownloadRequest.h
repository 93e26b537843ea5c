#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "download/DownloadHeaders.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora::download {

// Called after every block written with the reply's content length and the downloaded count
// (the low 32 bits of each).
using DownloadProgressRoutine = std::function<void(int32_t contentLength, int32_t downloaded)>;

// One track download: the address fetched into `localPath`, from `offset` on when continuing.
struct DownloadRequest {
    Text address;
    std::filesystem::path localPath;
    int32_t offset = 0;
    ResumeMode mode = ResumeMode::Fresh;
    // May be empty.
    DownloadProgressRoutine progress;
    const CancellationToken* cancellation = nullptr;
};

}  // namespace melvora::download
