#include "search/SearchSongs.h"

namespace melvora {

// Placeholder body until the search lands.
void SearchSongs(Controls& /*controls*/, Text& /*lastResponseText*/, const Endpoints& /*endpoints*/,
                 const CancellationToken& /*cancellation*/) {}

}  // namespace melvora
