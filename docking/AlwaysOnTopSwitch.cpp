#include "docking/AlwaysOnTopSwitch.h"

namespace melvora {

void AlwaysOnTopSwitch::Set(NativeWindowId window, bool onTop) {
    if (onTop == m_onTop) {
        return;
    }
    if (m_windowSystem.SetAlwaysOnTop(window, onTop)) {
        m_onTop = onTop;
    }
}

}  // namespace melvora
