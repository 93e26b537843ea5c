#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

namespace melvora {

// A one-way flag that a long task checks between its steps, so its owner can stop it without
// killing a thread. Code that blocks (a socket waiting for a reply) registers a callback that
// interrupts the wait, so a cancelled task does not sit out its time-out.
class CancellationToken {
public:
    // Keeps a callback registered; once it is destroyed the callback is neither running nor run.
    class Registration {
    public:
        Registration() = default;
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        Registration(Registration&& other) noexcept
            : m_token(std::exchange(other.m_token, nullptr)), m_id(other.m_id) {}
        Registration& operator=(Registration&&) = delete;
        ~Registration() {
            if (m_token != nullptr) {
                m_token->Unregister(m_id);
            }
        }

    private:
        friend class CancellationToken;
        Registration(const CancellationToken* token, uint64_t id) : m_token(token), m_id(id) {}
        const CancellationToken* m_token = nullptr;
        uint64_t m_id = 0;
    };

    CancellationToken() = default;
    CancellationToken(const CancellationToken&) = delete;
    CancellationToken& operator=(const CancellationToken&) = delete;

    void Cancel() {
        std::lock_guard lock(m_mutex);
        if (m_cancelled.exchange(true, std::memory_order_acq_rel)) {
            return;
        }
        for (auto& [id, onCancel] : m_callbacks) {
            onCancel();
        }
    }

    [[nodiscard]] bool IsCancelled() const { return m_cancelled.load(std::memory_order_acquire); }

    // Runs `onCancel` on the cancelling thread when Cancel is called, or at once when it already
    // was. It runs under the token's lock: it must be quick and must not touch the token.
    [[nodiscard]] Registration OnCancel(std::function<void()> onCancel) const {
        std::lock_guard lock(m_mutex);
        if (IsCancelled()) {
            onCancel();
            return {};
        }
        const uint64_t id = ++m_lastId;
        m_callbacks.emplace(id, std::move(onCancel));
        return {this, id};
    }

private:
    void Unregister(uint64_t id) const {
        std::lock_guard lock(m_mutex);
        m_callbacks.erase(id);
    }

    std::atomic<bool> m_cancelled{false};
    // The token is handed out as const to the tasks it stops; registering is not a change of
    // its state as they see it.
    mutable std::mutex m_mutex;
    mutable std::map<uint64_t, std::function<void()>> m_callbacks;
    mutable uint64_t m_lastId = 0;
};

}  // namespace melvora
