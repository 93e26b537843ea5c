#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "app/controls/Controls.h"

namespace melvora::testing {

// Controls kept in plain memory, for tests of the subsystems that talk to the window.
// Thread-safe, so a test can watch a background task fill it.
class InMemoryControls : public Controls {
public:
    struct ShownMessage {
        Text text;
        Text caption;
        uint32_t style = 0;
    };

    void ClearList() override;
    int32_t AppendRow() override;
    void SetCellText(int32_t row, int32_t column, const Text& text) override;
    Text CellText(int32_t row, int32_t column) override;
    int32_t RowCount() override;
    int32_t CurrentSelection() override;
    void SetStatusText(int32_t part, const Text& text) override;
    bool IsPlayAfterDownloadChecked() override;
    bool IsDockingChecked() override;
    Text SearchText() override;
    using Controls::ShowMessageBox;
    MessageBoxButton ShowMessageBox(const Text& text, const Text& caption, uint32_t style) override;

    // Set-up and inspection by the test.
    void SetSearchText(const Text& text);
    void SetSelection(int32_t row);
    void SetChecked(bool playAfterDownload, bool docking);
    // The button the next message boxes report (OK by default).
    void AnswerMessageBoxesWith(MessageBoxButton button);
    [[nodiscard]] std::vector<std::array<Text, 5>> Rows();
    [[nodiscard]] Text StatusText(int32_t part);
    // Every text each status part was set to, in order.
    [[nodiscard]] std::vector<Text> StatusHistory(int32_t part);
    [[nodiscard]] std::vector<ShownMessage> Messages();

private:
    std::mutex m_mutex;
    std::vector<std::array<Text, 5>> m_rows;
    std::array<Text, 2> m_status;
    std::array<std::vector<Text>, 2> m_statusHistory;
    std::vector<ShownMessage> m_messages;
    Text m_searchText;
    int32_t m_selection = -1;
    bool m_playAfterDownload = true;
    bool m_docking = true;
    MessageBoxButton m_answer = MessageBoxButton::Ok;
};

}  // namespace melvora::testing
