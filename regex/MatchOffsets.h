#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace melvora {

// A stretch of the subject in UTF-16 code units, end exclusive.
struct UnitSpan {
    std::size_t begin = 0;
    std::size_t end = 0;

    [[nodiscard]] std::size_t size() const { return end - begin; }
    friend bool operator==(const UnitSpan&, const UnitSpan&) = default;
};

// Where every match of one run and each of its capture groups lie in the subject. Offsets are
// kept instead of copied strings: the readers only ask for a few of them, and copying every
// group of every match would cost more than the match itself.
class MatchOffsets {
public:
    // The offset the engine reports for a group that took no part in the match.
    static constexpr std::size_t kUnset = SIZE_MAX;

    explicit MatchOffsets(uint32_t groupCount) : m_groupCount(groupCount) {}

    // Takes the begin/end pairs of group 0 (the whole match) and of every capture group.
    void Append(const std::size_t* pairs) {
        m_offsets.insert(m_offsets.end(), pairs, pairs + Stride());
    }

    [[nodiscard]] std::size_t MatchCount() const { return m_offsets.size() / Stride(); }
    [[nodiscard]] uint32_t GroupCount() const { return m_groupCount; }

    // Group 0 is the whole match (0-based `match`). Empty when the match or group does not exist
    // or the group took no part in the match.
    [[nodiscard]] std::optional<UnitSpan> Group(std::size_t match, uint32_t group) const {
        if (match >= MatchCount() || group > m_groupCount) {
            return std::nullopt;
        }
        const std::size_t at = match * Stride() + 2 * std::size_t{group};
        if (m_offsets[at] == kUnset || m_offsets[at + 1] == kUnset) {
            return std::nullopt;
        }
        return UnitSpan{m_offsets[at], m_offsets[at + 1]};
    }

private:
    [[nodiscard]] std::size_t Stride() const { return 2 * (std::size_t{m_groupCount} + 1); }

    uint32_t m_groupCount;
    std::vector<std::size_t> m_offsets;
};

}  // namespace melvora
