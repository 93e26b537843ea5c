#pragma once

#include <QString>
#include <cstdint>

namespace melvora {

// Buttons a message box can report, numbered as the classic message-box API numbers them.
enum class MessageBoxButton : int32_t {
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

// Message-box style words: a lone OK button, or Yes and No with the question icon.
inline constexpr uint32_t kMessageBoxOk = 0x00;
inline constexpr uint32_t kMessageBoxYesNoQuestion = 0x24;

// Shows a message box modal to the whole application and owned by no window, and returns the
// button pressed. `style` is the classic style word: its low four bits choose the buttons (0 OK,
// 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel), the next four the
// icon (0x10 critical, 0x20 question, 0x30 warning, 0x40 information) and 0x100 or 0x200 make the
// second or third button the default. GUI thread only.
MessageBoxButton ShowModalMessageBox(const QString& text, const QString& caption, uint32_t style);

}  // namespace melvora
