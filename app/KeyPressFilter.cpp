#include "app/KeyPressFilter.h"

#include <QEvent>
#include <QKeyEvent>
#include <utility>

namespace melvora {

KeyPressFilter::KeyPressFilter(QObject* watched, Handler handler)
    : QObject(watched), m_handler(std::move(handler)) {
    watched->installEventFilter(this);
}

int32_t KeyPressFilter::KeyCodeOf(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        return kEnterKeyCode;
    }
    return static_cast<int32_t>(event.key());
}

int32_t KeyPressFilter::ShiftStateOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    int32_t state = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        state |= kShift;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        state |= kControl;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        state |= kAlt;
    }
    return state;
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto& keyEvent = static_cast<const QKeyEvent&>(*event);
        m_handler(KeyCodeOf(keyEvent), ShiftStateOf(keyEvent));
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace melvora
