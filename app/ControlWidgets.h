#pragma once

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace melvora {

// The widgets the control operations act on. The main window owns them; this only points.
struct ControlWidgets {
    QTableWidget* resultList = nullptr;      // 歌曲超级列表框
    std::array<QLabel*, 2> statusParts{};    // 状态条1
    QCheckBox* playAfterDownload = nullptr;  // 选择框1
    QCheckBox* docking = nullptr;            // 选择框2
    QLineEdit* searchBox = nullptr;          // 搜索框
};

}  // namespace melvora
