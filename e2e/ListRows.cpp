#include "e2e/ListRows.h"

#include <cstdlib>

namespace melvora::testing {

namespace {

constexpr uint8_t kWhite = 255;
// Taller than any row of a list; a white run this tall is empty space.
constexpr int32_t kTallestRow = 60;
// Grid lines are drawn one pixel thick, so neighbouring rows of one list differ by at most this.
constexpr int32_t kRowHeightTolerance = 1;

}  // namespace

std::vector<DrawnRow> RowsInColumn(const std::vector<uint8_t>& greyLevels) {
    std::vector<DrawnRow> rows;
    const auto size = static_cast<int32_t>(greyLevels.size());
    int32_t y = 0;
    // A run that touches the top edge has no line above it: it is not known to be a row.
    while (y < size && greyLevels[static_cast<std::size_t>(y)] == kWhite) {
        ++y;
    }
    while (y < size) {
        while (y < size && greyLevels[static_cast<std::size_t>(y)] != kWhite) {
            ++y;
        }
        const int32_t top = y;
        while (y < size && greyLevels[static_cast<std::size_t>(y)] == kWhite) {
            ++y;
        }
        const int32_t height = y - top;
        // A run cut off by the bottom edge has no line below it.
        if (height == 0 || y == size || height > kTallestRow) {
            break;
        }
        if (!rows.empty() && std::abs(height - rows.front().height) > kRowHeightTolerance) {
            break;
        }
        rows.push_back({top, height});
    }
    return rows;
}

}  // namespace melvora::testing
