#include "docking/FakeWindowSystem.h"

namespace melvora {

bool FakeWindowSystem::SetAlwaysOnTop(NativeWindowId window, bool onTop) {
    m_requests.push_back({.window = window, .onTop = onTop});
    return m_available;
}

}  // namespace melvora
