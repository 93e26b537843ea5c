#include "app/SearchRunner.h"

#include <system_error>
#include <utility>

namespace melvora {

SearchRunner::~SearchRunner() {
    CancelAndJoin();
}

bool SearchRunner::Start(Task task) {
    if (m_session) {
        m_session->Cancel();
    }
    // Shared, so that the predecessor stays joinable here if the new thread cannot be created.
    auto predecessor = std::make_shared<std::thread>(std::move(m_thread));
    auto session = std::make_shared<TaskSession>();
    try {
        m_thread = std::thread([predecessor, session, task = std::move(task)] {
            if (predecessor->joinable()) {
                predecessor->join();
            }
            // A search superseded while it waited for its predecessor never starts.
            if (!session->IsCancelled()) {
                task(session);
            }
        });
    } catch (const std::system_error&) {
        // The thread library reports a thread it cannot create by throwing; the old search is
        // already cancelled, so joining it here is brief.
        if (predecessor->joinable()) {
            predecessor->join();
        }
        m_session.reset();
        return false;
    }
    m_session = std::move(session);
    return true;
}

void SearchRunner::CancelAndJoin() {
    if (m_session) {
        m_session->Cancel();
    }
    // Each search thread joins the one before it, so joining the latest joins them all.
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_session.reset();
}

}  // namespace melvora
