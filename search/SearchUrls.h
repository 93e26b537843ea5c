#pragma once

#include "search/Endpoints.h"
#include "text/Text.h"

namespace melvora {

// The first page (30 hits) of the song search for `keyword`. The keyword goes in exactly as the
// search box holds it: no escaping, so "&" or "=" in it change the query, and GBK stays GBK until
// the HTTP client puts the URL on the wire.
Text SearchUrl(const Endpoints& endpoints, const Text& keyword);

// The play data of one hit. The values go in unchanged, in the key order the service expects.
Text PlayDataUrl(const Endpoints& endpoints, const Text& fileHash, const Text& id,
                 const Text& timestamp);

}  // namespace melvora
