#pragma once

#include "text/Bytes.h"
#include "text/Text.h"

namespace melvora {

// The text's characters as UTF-16LE code units, followed by one NUL unit unless
// `dropTerminator`. An empty text yields no units at all.
Bytes TextToUtf16(const Text& text, bool dropTerminator = false);

// Exactly the UTF-16LE units held in `units` (an odd last byte is ignored), with combining
// sequences folded into precomposed characters first, as GBK Text ending at the first NUL.
Text Utf16ToText(const Bytes& units);

}  // namespace melvora
