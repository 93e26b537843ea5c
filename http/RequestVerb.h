#pragma once

#include <cstdint>
#include <string_view>

namespace melvora {

// 0 "GET", 1 "POST", 2 "HEAD", 3 "PUT"; any other value falls back to "GET".
std::string_view VerbForMethod(int32_t method);

}  // namespace melvora
