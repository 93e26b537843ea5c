#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace melvora::testing {

// Polls until `condition` holds; false once `limit` has passed. The limit guards a test against
// hanging on a window manager or a server that answers asynchronously; it is never a measurement.
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace melvora::testing
