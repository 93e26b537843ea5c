#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "testing/InMemoryControls.h"

namespace melvora::testing {

// In-memory controls that also log every list and status-bar call in order ("clear",
// "append 0", "cell 0 3", "status 1"), and can run a hook before each call, so a test can cancel a
// search at an exact step.
class RecordingControls : public InMemoryControls {
public:
    void ClearList() override {
        Record("clear");
        InMemoryControls::ClearList();
    }
    int32_t AppendRow() override {
        const int32_t row = InMemoryControls::AppendRow();
        Record("append " + std::to_string(row));
        return row;
    }
    void SetCellText(int32_t row, int32_t column, const Text& text) override {
        Record("cell " + std::to_string(row) + " " + std::to_string(column));
        InMemoryControls::SetCellText(row, column, text);
    }
    void SetStatusText(int32_t part, const Text& text) override {
        Record("status " + std::to_string(part));
        InMemoryControls::SetStatusText(part, text);
    }
    Text SearchText() override {
        Record("keyword");
        return InMemoryControls::SearchText();
    }

    // Runs with each logged call's name before the call is carried out.
    void BeforeEachCall(std::function<void(const std::string&)> hook) {
        std::lock_guard lock(m_logMutex);
        m_hook = std::move(hook);
    }
    [[nodiscard]] std::vector<std::string> Calls() {
        std::lock_guard lock(m_logMutex);
        return m_calls;
    }

private:
    void Record(const std::string& call) {
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard lock(m_logMutex);
            m_calls.push_back(call);
            hook = m_hook;
        }
        if (hook) {
            hook(call);
        }
    }

    std::mutex m_logMutex;
    std::vector<std::string> m_calls;
    std::function<void(const std::string&)> m_hook;
};

}  // namespace melvora::testing
