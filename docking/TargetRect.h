#pragma once

#include <cstdint>

namespace melvora {

// The outer rectangle of the window the main window docks to, in screen pixels.
struct TargetRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const TargetRect&, const TargetRect&) = default;
};

}  // namespace melvora
