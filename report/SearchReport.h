#pragma once

#include <cstdint>

#include "report/SongHit.h"
#include "text/Text.h"

namespace melvora {

// What one search tells the window, in the order it happens. The window lists the hits in rows
// 0, 1, 2, … in the order they are reported and shows the count at the end; the search never
// asks how the window shows them. A search that has been cancelled reports nothing more.
class SearchReport {
public:
    virtual ~SearchReport() = default;

    // A search begins: the hits of the previous one go, and the progress part of the status bar
    // is emptied. The song count of the previous search stays until this one has its own.
    virtual void SearchStarted() = 0;
    // The next hit, shown at once while its play address is still being asked for.
    virtual void HitListed(const SongHit& hit) = 0;
    // The play address of the hit in `row` (0-based, in listing order); empty when none came.
    virtual void PlayAddressResolved(int32_t row, const Text& playAddress) = 0;
    // Every hit is listed and resolved.
    virtual void SearchFinished(int32_t songCount) = 0;
};

}  // namespace melvora
