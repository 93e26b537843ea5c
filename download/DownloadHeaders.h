#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace melvora::download {

// Whether a download continues the bytes already in the local file or starts afresh.
enum class ResumeMode { Fresh, Continue };

// The fixed request header block of every track download: four lines joined by CR LF, with no
// line break at its end (156 bytes).
inline constexpr std::string_view kDownloadHeaderBlock =
    "Accept: */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "Accept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";

// The block sent with one download: continuing adds "\r\nRange:bytes=<offset>-", a fresh
// download never carries a Range line whatever `offset` holds.
std::string DownloadHeaderBlock(ResumeMode mode, int32_t offset);

// The block cut at its CR LF pairs, one request header line each.
std::vector<std::string> HeaderLines(std::string_view block);

// "Agent" followed by the milliseconds since the system started (low 32 bits, signed), built
// anew for every download.
std::string AgentText();

}  // namespace melvora::download
