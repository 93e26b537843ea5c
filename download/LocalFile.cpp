#include "download/LocalFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace melvora::download {

namespace {
constexpr mode_t kNewFileMode = 0644;
constexpr std::size_t kWriteBufferBytes = 128 * 1024;
}  // namespace

LocalFile::~LocalFile() {
    Close();
}

bool LocalFile::OpenEmpty(const std::filesystem::path& path) {
    Close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    return m_fd >= 0;
}

bool LocalFile::OpenKeeping(const std::filesystem::path& path, int64_t keepBytes) {
    Close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, kNewFileMode);
    if (m_fd < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) {
        Close();
        return false;
    }
    if (status.st_size > keepBytes && ::ftruncate(m_fd, static_cast<off_t>(keepBytes)) != 0) {
        Close();
        return false;
    }
    if (::lseek(m_fd, 0, SEEK_END) < 0) {
        Close();
        return false;
    }
    return true;
}

bool LocalFile::Write(std::string_view bytes) {
    if (m_failed) {
        return false;
    }
    if (m_buffer.size() + bytes.size() > kWriteBufferBytes && !Flush()) {
        return false;
    }
    if (bytes.size() >= kWriteBufferBytes) {
        m_failed = !WriteOut(bytes);
        return !m_failed;
    }
    if (m_buffer.capacity() < kWriteBufferBytes) {
        m_buffer.reserve(kWriteBufferBytes);
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    return true;
}

bool LocalFile::Flush() {
    if (!m_failed && !m_buffer.empty()) {
        m_failed = !WriteOut(std::string_view(m_buffer.data(), m_buffer.size()));
    }
    m_buffer.clear();
    return !m_failed;
}

bool LocalFile::WriteOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool LocalFile::SyncAndClose() {
    const bool flushed = Flush();
    const bool synced = ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    m_failed = false;
    return flushed && synced && closed;
}

void LocalFile::Close() {
    if (m_fd >= 0) {
        Flush();
        ::close(m_fd);
        m_fd = -1;
    }
    m_buffer.clear();
    m_failed = false;
}

int64_t FileSizeOrZero(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return 0;
    }
    return static_cast<int64_t>(status.st_size);
}

}  // namespace melvora::download
