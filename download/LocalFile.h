#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace melvora::download {

// The downloader's local file: one raw file descriptor, closed on every path. Writes gather in a
// small buffer so the disk sees a few large writes rather than one per network block; whatever
// the buffer holds goes to the file on every way out, so the file always ends with every byte
// handed to Write (up to the first failed write).
class LocalFile {
public:
    LocalFile() = default;
    ~LocalFile();
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // Creates the file or empties it. False when it cannot be opened.
    bool OpenEmpty(const std::filesystem::path& path);
    // Opens the file without emptying it (creating it when missing), cuts it to `keepBytes`
    // when it is longer, and places the write position at its end.
    bool OpenKeeping(const std::filesystem::path& path, int64_t keepBytes);

    // Writes all of `bytes` at the current position; false on any failure (a full disk, a file
    // size limit), with whatever part went in kept.
    bool Write(std::string_view bytes);
    // Writes out the buffer, flushes to the disk and closes; false when any of it fails.
    bool SyncAndClose();
    // Writes out the buffer (as far as the disk takes it) and closes.
    void Close();

    [[nodiscard]] bool IsOpen() const { return m_fd >= 0; }

private:
    bool WriteOut(std::string_view bytes);
    bool Flush();

    int m_fd = -1;
    std::vector<char> m_buffer;
    bool m_failed = false;
};

// The size of the file at `path`, 0 when there is none.
int64_t FileSizeOrZero(const std::filesystem::path& path);

}  // namespace melvora::download
