#include "http/RequestVerb.h"

#include <array>

namespace melvora {

std::string_view VerbForMethod(int32_t method) {
    static constexpr std::array<std::string_view, 4> kVerbs{"GET", "POST", "HEAD", "PUT"};
    if (method < 0 || method >= static_cast<int32_t>(kVerbs.size())) {
        return kVerbs[0];
    }
    return kVerbs[static_cast<std::size_t>(method)];
}

}  // namespace melvora
