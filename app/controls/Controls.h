#pragma once

#include <cstdint>

#include "text/Text.h"

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

// The window's controls as the rest of the program sees them: the result list 歌曲超级列表框,
// the two-part status bar 状态条1, the check boxes 选择框1 and 选择框2, the search box 搜索框 and
// the message box. The Qt window implements it and carries calls from other threads over to its
// own thread; tests use an in-memory one. Nothing here knows about Qt.
class Controls {
public:
    virtual ~Controls() = default;

    // 歌曲超级列表框
    virtual void ClearList() = 0;
    // Adds a row of five empty cells after the last one; returns its 0-based index.
    virtual int32_t AppendRow() = 0;
    // A row or column that does not exist is left alone.
    virtual void SetCellText(int32_t row, int32_t column, const Text& text) = 0;
    // Empty for a row or column that does not exist.
    virtual Text CellText(int32_t row, int32_t column) = 0;
    virtual int32_t RowCount() = 0;
    // The first selected row, -1 when none is.
    virtual int32_t CurrentSelection() = 0;

    // 状态条1: part 0 or 1; another part number is ignored.
    virtual void SetStatusText(int32_t part, const Text& text) = 0;

    // 选择框1 "下载并播放" and 选择框2 "吸附酷狗".
    virtual bool IsPlayAfterDownloadChecked() = 0;
    virtual bool IsDockingChecked() = 0;

    // 搜索框
    virtual Text SearchText() = 0;

    // A modal box owned by no window; the caption defaults to "信息：".
    virtual MessageBoxButton ShowMessageBox(const Text& text, const Text& caption,
                                            uint32_t style) = 0;
    MessageBoxButton ShowMessageBox(const Text& text, uint32_t style = kMessageBoxOk);
};

}  // namespace melvora
