#pragma once

#include "app/ControlWidgets.h"

class QPushButton;
class QWidget;

namespace melvora {

// Every control of the main window, placed at its fixed position inside `window`.
struct MainWindowWidgets {
    ControlWidgets controls;
    QPushButton* searchButton = nullptr;  // 按钮_搜索
    QPushButton* stopButton = nullptr;    // 按钮_停止
};

// The client area the layout fills.
inline constexpr int kClientWidth = 633;
inline constexpr int kClientHeight = 305;

// Creates the controls as children of `window` (which owns them), with their names, positions,
// sizes, start texts and accessible names, and fixes the window's client size.
MainWindowWidgets BuildMainWindowLayout(QWidget& window);

}  // namespace melvora
