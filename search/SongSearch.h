#pragma once

#include "report/SearchReport.h"
#include "search/Endpoints.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora {

// The song search of the program. It keeps the last reply of the song-search endpoint, which
// only the search itself writes and reads. Searches run one after another, never at once.
class SongSearch {
public:
    explicit SongSearch(Endpoints endpoints) : m_endpoints(std::move(endpoints)) {}

    // The body of one search task: asks the song-search endpoint for `keyword`, then reports
    // every hit and, once its play-data request has answered, its play address, and ends with
    // the song count. A cancelled search stops at its next step or inside its current request,
    // and reports nothing more.
    void SearchSongs(const Text& keyword, SearchReport& report,
                     const CancellationToken& cancellation);

    // The last reply of the song-search endpoint in GBK; empty after a failed request.
    [[nodiscard]] const Text& LastResponseText() const { return m_lastResponseText; }

private:
    Endpoints m_endpoints;
    Text m_lastResponseText;
};

}  // namespace melvora
