#pragma once

#include <cstdint>
#include <vector>

namespace melvora::testing {

// One row of a list as drawn on the screen, in the coordinates of the column it was found in.
struct DrawnRow {
    int32_t top = 0;
    int32_t height = 0;
    [[nodiscard]] int32_t Centre() const { return top + height / 2; }
};

// The rows of a table drawn with grid lines, found in the grey levels of one pixel column that
// crosses the rows where they hold no text: each row is a run of pure white between two lines.
// Rows have one height; a white run of another height (the empty space below the last row) and
// everything after it is not a row. Selected rows are not white and end the search.
std::vector<DrawnRow> RowsInColumn(const std::vector<uint8_t>& greyLevels);

}  // namespace melvora::testing
