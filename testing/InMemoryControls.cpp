#include "testing/InMemoryControls.h"

namespace melvora::testing {

namespace {
constexpr int32_t kColumns = 5;
}

void InMemoryControls::ClearList() {
    std::lock_guard lock(m_mutex);
    m_rows.clear();
    m_selection = -1;
}

int32_t InMemoryControls::AppendRow() {
    std::lock_guard lock(m_mutex);
    m_rows.emplace_back();
    return static_cast<int32_t>(m_rows.size()) - 1;
}

void InMemoryControls::SetCellText(int32_t row, int32_t column, const Text& text) {
    std::lock_guard lock(m_mutex);
    if (row < 0 || row >= static_cast<int32_t>(m_rows.size()) || column < 0 || column >= kColumns) {
        return;
    }
    m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
}

Text InMemoryControls::CellText(int32_t row, int32_t column) {
    std::lock_guard lock(m_mutex);
    if (row < 0 || row >= static_cast<int32_t>(m_rows.size()) || column < 0 || column >= kColumns) {
        return {};
    }
    return m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

int32_t InMemoryControls::RowCount() {
    std::lock_guard lock(m_mutex);
    return static_cast<int32_t>(m_rows.size());
}

int32_t InMemoryControls::CurrentSelection() {
    std::lock_guard lock(m_mutex);
    return m_selection;
}

void InMemoryControls::SetStatusText(int32_t part, const Text& text) {
    std::lock_guard lock(m_mutex);
    if (part != 0 && part != 1) {
        return;
    }
    m_status[static_cast<size_t>(part)] = text;
    m_statusHistory[static_cast<size_t>(part)].push_back(text);
}

bool InMemoryControls::IsPlayAfterDownloadChecked() {
    std::lock_guard lock(m_mutex);
    return m_playAfterDownload;
}

bool InMemoryControls::IsDockingChecked() {
    std::lock_guard lock(m_mutex);
    return m_docking;
}

Text InMemoryControls::SearchText() {
    std::lock_guard lock(m_mutex);
    return m_searchText;
}

MessageBoxButton InMemoryControls::ShowMessageBox(const Text& text, const Text& caption,
                                                  uint32_t style) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back({text, caption, style});
    return m_answer;
}

void InMemoryControls::SetSearchText(const Text& text) {
    std::lock_guard lock(m_mutex);
    m_searchText = text;
}

void InMemoryControls::SetSelection(int32_t row) {
    std::lock_guard lock(m_mutex);
    m_selection = (row >= 0 && row < static_cast<int32_t>(m_rows.size())) ? row : -1;
}

void InMemoryControls::SetChecked(bool playAfterDownload, bool docking) {
    std::lock_guard lock(m_mutex);
    m_playAfterDownload = playAfterDownload;
    m_docking = docking;
}

void InMemoryControls::AnswerMessageBoxesWith(MessageBoxButton button) {
    std::lock_guard lock(m_mutex);
    m_answer = button;
}

std::vector<std::array<Text, 5>> InMemoryControls::Rows() {
    std::lock_guard lock(m_mutex);
    return m_rows;
}

Text InMemoryControls::StatusText(int32_t part) {
    std::lock_guard lock(m_mutex);
    return (part == 0 || part == 1) ? m_status[static_cast<size_t>(part)] : Text();
}

std::vector<Text> InMemoryControls::StatusHistory(int32_t part) {
    std::lock_guard lock(m_mutex);
    return (part == 0 || part == 1) ? m_statusHistory[static_cast<size_t>(part)]
                                    : std::vector<Text>{};
}

std::vector<InMemoryControls::ShownMessage> InMemoryControls::Messages() {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

}  // namespace melvora::testing
