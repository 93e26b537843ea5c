#pragma once

#include <string>

namespace melvora {

// Hosts (host[:port]) of the music service's two endpoints, reached over plain HTTP.
struct Endpoints {
    std::string searchHost = "songsearch.kugou.com";
    std::string playHost = "wwwapi.kugou.com";

    // The defaults, with MELVORA_SEARCH_HOST and MELVORA_PLAY_HOST taking their place when set
    // (for the tests and the offline demo).
    static Endpoints FromEnvironment();
};

}  // namespace melvora
