#pragma once

#include "search/Endpoints.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora {

// Asks the play-data endpoint for the hit (`fileHash`, `id`) and returns its play address with
// the reply's escaping backslashes removed; empty when the request fails, the reply has no
// play_url value or the request is cancelled.
Text ResolvePlayAddress(const Text& fileHash, const Text& id, const Endpoints& endpoints,
                        const CancellationToken& cancellation);

// The play_url value of a play-data reply, backslashes removed. The reply is taken as it came:
// not decoded as JSON, so a \u escape keeps its letter and digits.
Text ExtractPlayAddress(const Text& reply);

}  // namespace melvora
