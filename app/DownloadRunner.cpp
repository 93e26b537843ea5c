#include "app/DownloadRunner.h"

#include <system_error>
#include <utility>

namespace melvora {

DownloadRunner::~DownloadRunner() {
    CancelAndJoin();
}

bool DownloadRunner::IsRunning() const {
    return m_thread.joinable() && !m_finished->load(std::memory_order_acquire);
}

bool DownloadRunner::TryStart(Task task) {
    if (IsRunning()) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();  // finished already: returns at once
    }
    auto session = std::make_shared<TaskSession>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    try {
        m_thread = std::thread([session, finished, task = std::move(task)] {
            task(session);
            finished->store(true, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_session = std::move(session);
    m_finished = std::move(finished);
    return true;
}

void DownloadRunner::CancelAndJoin() {
    if (m_session) {
        m_session->Cancel();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_session.reset();
}

}  // namespace melvora
