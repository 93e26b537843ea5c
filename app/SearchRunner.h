#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "app/TaskSession.h"

namespace melvora {

// Runs each search on a thread of its own, one search at a time. Starting a search cancels the
// one still running; the new thread first joins the old one and only then runs, so the latest
// search wins and the rows of two searches never mix. The GUI thread never waits for a search
// except at CancelAndJoin.
class SearchRunner {
public:
    using Task = std::function<void(const std::shared_ptr<TaskSession>& session)>;

    SearchRunner() = default;
    ~SearchRunner();
    SearchRunner(const SearchRunner&) = delete;
    SearchRunner& operator=(const SearchRunner&) = delete;

    // False when no thread could be created; then no search takes place.
    bool Start(Task task);

    // Cancels the current search and waits until every search thread has ended.
    void CancelAndJoin();

private:
    std::shared_ptr<TaskSession> m_session;
    std::thread m_thread;
};

}  // namespace melvora
