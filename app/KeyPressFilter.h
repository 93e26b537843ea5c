#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QKeyEvent;

namespace melvora {

// Reports every key pressed in the watched widget as a classic key code and shift state, without
// taking the key away from the widget. Return and the keypad's Enter both report 13.
class KeyPressFilter : public QObject {
    Q_OBJECT
public:
    static constexpr int32_t kEnterKeyCode = 13;
    // Shift state bits.
    static constexpr int32_t kShift = 1;
    static constexpr int32_t kControl = 2;
    static constexpr int32_t kAlt = 4;

    using Handler = std::function<void(int32_t keyCode, int32_t shiftState)>;

    KeyPressFilter(QObject* watched, Handler handler);

    static int32_t KeyCodeOf(const QKeyEvent& event);
    static int32_t ShiftStateOf(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler m_handler;
};

}  // namespace melvora
