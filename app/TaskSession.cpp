#include "app/TaskSession.h"

namespace melvora {

void TaskSession::Cancel() {
    {
        // Under the lock, so a task between its check and its wait cannot miss the wake-up.
        std::lock_guard lock(m_mutex);
        m_token.Cancel();
    }
    m_wake.notify_all();
}

void TaskSession::Complete(Completion& completion) {
    {
        std::lock_guard lock(m_mutex);
        completion.m_done = true;
    }
    m_wake.notify_all();
}

bool TaskSession::Await(const Completion& completion) {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [&] { return completion.m_done || m_token.IsCancelled(); });
    return completion.m_done;
}

}  // namespace melvora
