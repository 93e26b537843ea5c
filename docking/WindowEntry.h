#pragma once

#include <cstdint>

#include "text/Text.h"

namespace melvora {

// One visible top-level window.
struct WindowEntry {
    uint32_t handle = 0;
    uint32_t processId = 0;  // _NET_WM_PID, 0 when the window does not say
    uint32_t threadId = 0;   // X has no owning thread
    Text className;          // at most 254 bytes
    Text title;              // at most 254 bytes
};

// Class names and titles are cut to this many bytes, as a 256-byte buffer read with a maximum
// count of 255 leaves them.
inline constexpr size_t kWindowTextLimit = 254;

}  // namespace melvora
