#pragma once

#include <vector>

#include "docking/WindowSystem.h"

namespace melvora {

// A window system that only records what it is asked, for tests of the code that drives it.
class FakeWindowSystem : public WindowSystem {
public:
    struct AlwaysOnTopRequest {
        NativeWindowId window = 0;
        bool onTop = false;
        friend bool operator==(const AlwaysOnTopRequest&, const AlwaysOnTopRequest&) = default;
    };

    bool SetAlwaysOnTop(NativeWindowId window, bool onTop) override;

    // Whether the next requests succeed (they do unless told otherwise).
    void SetAvailable(bool available) { m_available = available; }
    // Every request made, successful or not, in order.
    [[nodiscard]] const std::vector<AlwaysOnTopRequest>& AlwaysOnTopRequests() const {
        return m_requests;
    }

private:
    std::vector<AlwaysOnTopRequest> m_requests;
    bool m_available = true;
};

}  // namespace melvora
