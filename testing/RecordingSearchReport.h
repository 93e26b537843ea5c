#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "report/SearchReport.h"

namespace melvora {

// Shows a hit readably (as UTF-8) when an expectation fails.
void PrintTo(const SongHit& hit, std::ostream* out);

}  // namespace melvora

namespace melvora::testing {

// A search report kept in plain memory: the rows a window would show (song name, singer, file
// hash, ID, play address), the count, and a log of every call in order ("started", "hit 0",
// "address 0", "finished 3"). A hook runs before each call, so a test can cancel a search at an
// exact step. Thread-safe, so a test can watch a background search fill it.
class RecordingSearchReport : public SearchReport {
public:
    using Row = std::array<Text, 5>;

    void SearchStarted() override;
    void HitListed(const SongHit& hit) override;
    void PlayAddressResolved(int32_t row, const Text& playAddress) override;
    void SearchFinished(int32_t songCount) override;

    // Runs with each logged call's name before the call is carried out.
    void BeforeEachCall(std::function<void(const std::string&)> hook);

    [[nodiscard]] std::vector<std::string> Calls();
    [[nodiscard]] std::vector<Row> Rows();
    [[nodiscard]] int32_t RowCount();
    // Every count reported, in order.
    [[nodiscard]] std::vector<int32_t> Counts();

private:
    void Record(const std::string& call);

    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::vector<Row> m_rows;
    std::vector<int32_t> m_counts;
    std::function<void(const std::string&)> m_hook;
};

}  // namespace melvora::testing
