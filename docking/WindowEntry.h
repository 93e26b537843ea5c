#pragma once

#include <cstdint>

#include "text/Text.h"

namespace melvora {

// One visible top-level window as the window lookup collects it.
struct WindowEntry {
    uint32_t handle = 0;
    uint32_t processId = 0;
    uint32_t threadId = 0;
    Text className;
    Text title;
};

}  // namespace melvora
