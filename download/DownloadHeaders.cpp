#include "download/DownloadHeaders.h"

#include <time.h>

namespace melvora::download {

std::string DownloadHeaderBlock(ResumeMode mode, int32_t offset) {
    std::string block(kDownloadHeaderBlock);
    if (mode == ResumeMode::Continue) {
        block += "\r\nRange:bytes=" + std::to_string(offset) + "-";
    }
    return block;
}

std::vector<std::string> HeaderLines(std::string_view block) {
    std::vector<std::string> lines;
    while (!block.empty()) {
        const auto end = block.find("\r\n");
        lines.emplace_back(block.substr(0, end));
        block = end == std::string_view::npos ? std::string_view() : block.substr(end + 2);
    }
    return lines;
}

std::string AgentText() {
    // The system's uptime: CLOCK_MONOTONIC counts from boot on Linux (without suspended time,
    // like the tick count it stands in for on other systems).
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds =
        static_cast<uint64_t>(now.tv_sec) * 1000U + static_cast<uint64_t>(now.tv_nsec) / 1000000U;
    return "Agent" + std::to_string(static_cast<int32_t>(static_cast<uint32_t>(milliseconds)));
}

}  // namespace melvora::download
