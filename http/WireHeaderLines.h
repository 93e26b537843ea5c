#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/Text.h"

namespace melvora {

// The header block as the separate lines handed to the transfer, in order, followed by a removal
// line ("Name:") for every header the transfer would otherwise add by itself and the block does
// not carry, so that only the block's lines and Host go out. Empty lines are skipped. Empty when
// a line has no colon, a name that is not an HTTP token, or a stray CR or LF.
std::optional<std::vector<std::string>> WireHeaderLines(const Text& block);

}  // namespace melvora
