#pragma once

#include "app/controls/Controls.h"
#include "search/Endpoints.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora {

// The body of one search task: reads the keyword from the search box, asks the song-search
// endpoint, fills the result list row by row (play addresses included) and ends with the song
// count in status part 0. `lastResponseText` is the program-wide variable that keeps the reply.
// A cancelled search stops at its next step or inside its current request.
void SearchSongs(Controls& controls, Text& lastResponseText, const Endpoints& endpoints,
                 const CancellationToken& cancellation);

}  // namespace melvora
