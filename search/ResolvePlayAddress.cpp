#include "search/ResolvePlayAddress.h"

#include "http/HttpFetch.h"
#include "search/MakeTimestamp.h"
#include "search/SearchUrls.h"
#include "text/TextHelpers.h"

namespace melvora {

Text ResolvePlayAddress(const Text& fileHash, const Text& id, const Endpoints& endpoints,
                        const CancellationToken& cancellation) {
    const Text url = PlayDataUrl(endpoints, fileHash, id, MakeTimestamp());
    // Unlike the search reply, this body is used as the client returns it: the address is ASCII.
    return ExtractPlayAddress(HttpFetch({.url = url, .cancellation = &cancellation}));
}

Text ExtractPlayAddress(const Text& reply) {
    // Matched with case and byte for byte; only the first play_url counts.
    const Text escaped = TextBetween(reply, "play_url\":\"", "\"");
    return MultiReplace(escaped, {{.find = "\\", .replacement = ""}});
}

}  // namespace melvora
