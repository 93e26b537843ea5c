#include "search/Endpoints.h"

#include <cstdlib>

namespace melvora {

Endpoints Endpoints::FromEnvironment() {
    Endpoints endpoints;
    if (const char* host = std::getenv("MELVORA_SEARCH_HOST"); host != nullptr && *host != '\0') {
        endpoints.searchHost = host;
    }
    if (const char* host = std::getenv("MELVORA_PLAY_HOST"); host != nullptr && *host != '\0') {
        endpoints.playHost = host;
    }
    return endpoints;
}

}  // namespace melvora
