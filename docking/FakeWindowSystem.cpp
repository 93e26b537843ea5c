#include "docking/FakeWindowSystem.h"

#include <algorithm>

namespace melvora {

bool FakeWindowSystem::SetAlwaysOnTop(NativeWindowId window, bool onTop) {
    m_requests.push_back({.window = window, .onTop = onTop});
    return m_available;
}

void FakeWindowSystem::CollectVisibleWindows(std::vector<WindowEntry>& collected) {
    ++m_enumerations;
    for (const Window& window : m_windows) {
        if (window.visible) {
            collected.push_back(window.entry);
        }
    }
}

bool FakeWindowSystem::IsWindowVisible(int32_t handle) {
    Window* window = Find(handle);
    if (window == nullptr) {
        return false;
    }
    const bool visible = window->visible;
    if (window->closesWhenTested) {
        m_windows.erase(m_windows.begin() + (window - m_windows.data()));
    }
    return visible;
}

std::optional<TargetRect> FakeWindowSystem::OuterRect(int32_t handle) {
    const Window* window = Find(handle);
    if (window == nullptr) {
        return std::nullopt;
    }
    return window->outerRect;
}

void FakeWindowSystem::MoveWindow(uint32_t handle, const TargetRect& outerRect) {
    if (Window* window = Find(static_cast<int32_t>(handle))) {
        window->outerRect = outerRect;
    }
}

void FakeWindowSystem::SetVisible(uint32_t handle, bool visible) {
    if (Window* window = Find(static_cast<int32_t>(handle))) {
        window->visible = visible;
    }
}

FakeWindowSystem::Window* FakeWindowSystem::Find(int32_t handle) {
    const auto found = std::find_if(m_windows.begin(), m_windows.end(), [&](const Window& window) {
        return static_cast<int32_t>(window.entry.handle) == handle;
    });
    return found == m_windows.end() ? nullptr : &*found;
}

}  // namespace melvora
