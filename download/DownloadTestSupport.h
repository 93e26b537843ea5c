#pragma once

// Helpers shared by the download tests: a scratch folder, file contents, reply bodies and the
// request head the downloader must send.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "testing/LoopbackServer.h"

namespace melvora::download::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The whole file, or an empty string when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);
// Names of the entries of a folder, sorted.
std::string FolderListing(const std::filesystem::path& folder);

// `size` pseudo-random bytes, NULs and CR LFs included, different for every seed.
std::string MakeBody(std::size_t size, uint32_t seed);

// The request the downloader sends for `target` on `hostPort`: request line, Host, the header
// block as lines and the blank line, byte for byte.
std::string ExpectedRequest(std::string_view hostPort, std::string_view target,
                            std::string_view headerBlock);

// A 200 reply carrying the whole body.
testing::Reply FullReply(std::string body);
// A 206 reply carrying `body` from byte `from` on, with its Content-Range.
testing::Reply PartialReply(const std::string& body, std::size_t from);

}  // namespace melvora::download::test
