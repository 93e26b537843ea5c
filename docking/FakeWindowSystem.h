#pragma once

#include <vector>

#include "docking/WindowSystem.h"

namespace melvora {

// A window system that records what it is asked and shows an in-memory set of windows, for tests
// of the code that drives it.
class FakeWindowSystem : public WindowSystem {
public:
    struct AlwaysOnTopRequest {
        NativeWindowId window = 0;
        bool onTop = false;
        friend bool operator==(const AlwaysOnTopRequest&, const AlwaysOnTopRequest&) = default;
    };

    // One top-level window of another program.
    struct Window {
        WindowEntry entry;
        TargetRect outerRect;
        bool visible = true;
        // Closes right after its visibility has been tested, before its rectangle is read.
        bool closesWhenTested = false;
    };

    bool SetAlwaysOnTop(NativeWindowId window, bool onTop) override;
    void CollectVisibleWindows(std::vector<WindowEntry>& collected) override;
    bool IsWindowVisible(int32_t handle) override;
    std::optional<TargetRect> OuterRect(int32_t handle) override;

    // Whether the next always-on-top requests succeed (they do unless told otherwise).
    void SetAvailable(bool available) { m_available = available; }
    // Every always-on-top request made, successful or not, in order.
    [[nodiscard]] const std::vector<AlwaysOnTopRequest>& AlwaysOnTopRequests() const {
        return m_requests;
    }

    // The windows, in the order the window system keeps them.
    void SetWindows(std::vector<Window> windows) { m_windows = std::move(windows); }
    // Changes the outer rectangle of the window with `handle`, as a move by its owner would.
    void MoveWindow(uint32_t handle, const TargetRect& outerRect);
    void SetVisible(uint32_t handle, bool visible);
    // How often the windows were enumerated.
    [[nodiscard]] int EnumerationCount() const { return m_enumerations; }

private:
    Window* Find(int32_t handle);

    std::vector<AlwaysOnTopRequest> m_requests;
    bool m_available = true;
    std::vector<Window> m_windows;
    int m_enumerations = 0;
};

}  // namespace melvora
