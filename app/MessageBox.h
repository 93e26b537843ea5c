#pragma once

#include <QString>
#include <cstdint>

#include "app/controls/Controls.h"

namespace melvora {

// Shows a message box modal to the whole application and owned by no window, and returns the
// button pressed. `style` is the classic style word: its low four bits choose the buttons (0 OK,
// 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel), the next four the
// icon (0x10 critical, 0x20 question, 0x30 warning, 0x40 information) and 0x100 or 0x200 make the
// second or third button the default. GUI thread only.
MessageBoxButton ShowModalMessageBox(const QString& text, const QString& caption, uint32_t style);

}  // namespace melvora
