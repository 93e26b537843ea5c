#pragma once

#include <atomic>

namespace melvora {

// A one-way flag that a long task checks between its steps (and that the HTTP layer polls while
// a transfer runs), so the owner can stop it without killing a thread.
class CancellationToken {
public:
    void Cancel() { m_cancelled.store(true, std::memory_order_release); }
    [[nodiscard]] bool IsCancelled() const { return m_cancelled.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_cancelled{false};
};

}  // namespace melvora
