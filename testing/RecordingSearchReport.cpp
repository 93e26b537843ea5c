#include "testing/RecordingSearchReport.h"

namespace melvora {

void PrintTo(const SongHit& hit, std::ostream* out) {
    *out << "{";
    PrintTo(hit.songName, out);
    *out << ", ";
    PrintTo(hit.singerName, out);
    *out << ", ";
    PrintTo(hit.fileHash, out);
    *out << ", ";
    PrintTo(hit.id, out);
    *out << "}";
}

}  // namespace melvora

namespace melvora::testing {

namespace {
constexpr std::size_t kPlayAddressField = 4;
}

void RecordingSearchReport::SearchStarted() {
    Record("started");
    std::lock_guard lock(m_mutex);
    m_rows.clear();
}

void RecordingSearchReport::HitListed(const SongHit& hit) {
    Record("hit " + std::to_string(RowCount()));
    std::lock_guard lock(m_mutex);
    m_rows.push_back({hit.songName, hit.singerName, hit.fileHash, hit.id, Text()});
}

void RecordingSearchReport::PlayAddressResolved(int32_t row, const Text& playAddress) {
    Record("address " + std::to_string(row));
    std::lock_guard lock(m_mutex);
    if (row >= 0 && row < static_cast<int32_t>(m_rows.size())) {
        m_rows[static_cast<std::size_t>(row)][kPlayAddressField] = playAddress;
    }
}

void RecordingSearchReport::SearchFinished(int32_t songCount) {
    Record("finished " + std::to_string(songCount));
    std::lock_guard lock(m_mutex);
    m_counts.push_back(songCount);
}

void RecordingSearchReport::BeforeEachCall(std::function<void(const std::string&)> hook) {
    std::lock_guard lock(m_mutex);
    m_hook = std::move(hook);
}

std::vector<std::string> RecordingSearchReport::Calls() {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<RecordingSearchReport::Row> RecordingSearchReport::Rows() {
    std::lock_guard lock(m_mutex);
    return m_rows;
}

int32_t RecordingSearchReport::RowCount() {
    std::lock_guard lock(m_mutex);
    return static_cast<int32_t>(m_rows.size());
}

std::vector<int32_t> RecordingSearchReport::Counts() {
    std::lock_guard lock(m_mutex);
    return m_counts;
}

void RecordingSearchReport::Record(const std::string& call) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
        hook = m_hook;
    }
    if (hook) {
        hook(call);
    }
}

}  // namespace melvora::testing
