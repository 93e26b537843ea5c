#pragma once

#include <condition_variable>
#include <mutex>

#include "text/Cancellation.h"

namespace melvora {

// One background task's cancellation, together with the wake-up its waits need: a task that
// waits for the GUI thread to carry out a call must wake as soon as it is cancelled, even when
// the GUI thread will never get to the call (it is shutting down, or it is joining the task).
class TaskSession {
public:
    // The completion of one call handed to another thread; read and written under the
    // session's lock only.
    class Completion {
        friend class TaskSession;
        bool m_done = false;
    };

    [[nodiscard]] const CancellationToken& Token() const { return m_token; }
    [[nodiscard]] bool IsCancelled() const { return m_token.IsCancelled(); }

    // Cancels the task and wakes it if it waits.
    void Cancel();

    // Marks the call done and wakes the task waiting for it.
    void Complete(Completion& completion);
    // Blocks until the call is done (true) or the task is cancelled (false).
    bool Await(const Completion& completion);

private:
    CancellationToken m_token;
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

}  // namespace melvora
