#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "app/TaskSession.h"

namespace melvora {

// Runs a download on a worker thread, so the window keeps painting and showing progress while
// the bytes flow. At most one runs at a time: a start while one runs is refused, as a second
// double-click could not have reached a window that was busy downloading.
class DownloadRunner {
public:
    using Task = std::function<void(const std::shared_ptr<TaskSession>& session)>;

    DownloadRunner() = default;
    ~DownloadRunner();
    DownloadRunner(const DownloadRunner&) = delete;
    DownloadRunner& operator=(const DownloadRunner&) = delete;

    // False when a download is still running or no thread could be created.
    bool TryStart(Task task);
    [[nodiscard]] bool IsRunning() const;

    // Cancels the running download and waits for its thread.
    void CancelAndJoin();

private:
    std::shared_ptr<TaskSession> m_session;
    std::shared_ptr<std::atomic<bool>> m_finished;
    std::thread m_thread;
};

}  // namespace melvora
