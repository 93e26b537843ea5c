#include "search/SongSearch.h"

#include "http/HttpFetch.h"
#include "search/ResolvePlayAddress.h"
#include "search/SearchReply.h"
#include "search/SearchUrls.h"
#include "text/TextHelpers.h"

namespace melvora {

void SongSearch::SearchSongs(const Text& keyword, SearchReport& report,
                             const CancellationToken& cancellation) {
    // Every step that reports or goes to the network first asks whether a newer search or
    // shut-down has taken over; from then on this one must leave the list alone.
    if (cancellation.IsCancelled()) {
        return;
    }
    report.SearchStarted();
    if (cancellation.IsCancelled()) {
        return;
    }
    const Text body = HttpFetch(
        {.url = SearchUrl(m_endpoints, keyword), .method = 0, .cancellation = &cancellation});
    if (cancellation.IsCancelled()) {
        return;
    }
    m_lastResponseText = Utf8ToGbk(body);
    const std::vector<SongHit> hits = ParseSearchReply(m_lastResponseText);

    // A hit shows as soon as it is known, so a row is visible while its play data is still on
    // the way.
    int32_t row = 0;
    for (const SongHit& hit : hits) {
        if (cancellation.IsCancelled()) {
            return;
        }
        report.HitListed(hit);
        if (cancellation.IsCancelled()) {
            return;
        }
        const Text playAddress =
            ResolvePlayAddress(hit.fileHash, hit.id, m_endpoints, cancellation);
        if (cancellation.IsCancelled()) {
            return;
        }
        report.PlayAddressResolved(row, playAddress);
        ++row;
    }
    if (cancellation.IsCancelled()) {
        return;
    }
    report.SearchFinished(static_cast<int32_t>(hits.size()));
}

}  // namespace melvora
