#pragma once

#include <cstdint>

#include "activation/ActivateTrack.h"
#include "app/ControlWidgets.h"
#include "report/SongHit.h"
#include "text/Text.h"

namespace melvora {

// The operations on the result list 歌曲超级列表框 and the status bar 状态条1 that the reports
// of the search and the activation come down to. GUI thread only.

void ClearResultList(const ControlWidgets& widgets);
// Appends a row showing the hit in its first four cells, the address cell left empty.
void AppendHitRow(const ControlWidgets& widgets, const SongHit& hit);
// A row or column that does not exist is left alone.
void SetCellText(const ControlWidgets& widgets, int32_t row, int32_t column, const Text& text);
// Empty for a row or column that does not exist.
Text CellText(const ControlWidgets& widgets, int32_t row, int32_t column);
// The first selected row, -1 when none is.
int32_t CurrentSelection(const ControlWidgets& widgets);
// The song name and play address of the first selected row; empty texts when none is.
activation::TrackRequest SelectedTrack(const ControlWidgets& widgets);

// Status part 0 (the song count) or 1 (progress); another part number is ignored.
void SetStatusText(const ControlWidgets& widgets, int32_t part, const Text& text);

}  // namespace melvora
