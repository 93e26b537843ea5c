#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "download/DownloadHeaders.h"

namespace melvora::download {

// What to do with a reply, decided from its head before a single body byte reaches the file.
enum class ReplyAction {
    // Create or empty the local file and write the body from byte 0.
    WriteFromStart,
    // Keep the first `offset` bytes of the local file and write the body behind them.
    Append,
    // The server says the local file already holds the whole resource: nothing to write.
    AlreadyComplete,
    // Not the bytes asked for (an error page, a range elsewhere): leave the file alone.
    Refuse,
};

struct ReplyHead {
    int status = 0;
    // The Content-Range value, empty when the reply has none.
    std::string_view contentRange;
};

struct ContentRange {
    // Unset for the unsatisfied form "bytes */N".
    std::optional<int64_t> first;
    std::optional<int64_t> last;
    // Unset when the length is "*".
    std::optional<int64_t> completeLength;
};

// Reads "bytes F-L/N", "bytes F-L/*" or "bytes */N"; nullopt for anything else.
std::optional<ContentRange> ParseContentRange(std::string_view value);

// `localSize` is the size of the local file now (0 when it does not exist).
ReplyAction DecideReply(const ReplyHead& head, ResumeMode mode, int32_t offset, int64_t localSize);

}  // namespace melvora::download
