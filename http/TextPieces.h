#pragma once

#include <string_view>
#include <vector>

#include "text/Text.h"

namespace melvora {

// The pieces of `text` between occurrences of `separator`, in order: empty pieces between two
// adjacent separators are kept, an empty piece after a final separator is not, and an empty text
// has no pieces. The search is exact and steps over two-byte GBK characters.
std::vector<Text> SplitText(const Text& text, std::string_view separator);

// A blank is the ASCII space or the GBK full-width space A1 A1; a tab is not.
Text StripBlanks(const Text& text);
Text RemoveBlanks(const Text& text);

}  // namespace melvora
