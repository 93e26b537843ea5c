#pragma once

#include <string_view>

#include "text/Text.h"

namespace melvora {

// GBK text of a window's class or title as the window system hands it over, cut to
// kWindowTextLimit bytes without splitting a two-byte character. ASCII, which most class names
// and many titles are, skips the converter: it is the same in both encodings.
Text WindowTextFromUtf8(std::string_view utf8);
// The same for the ISO 8859-1 strings of the older X properties (WM_NAME, WM_CLASS).
Text WindowTextFromLatin1(std::string_view latin1);

// UTF-8 to GBK, with the ASCII shortcut.
Text GbkFromUtf8OrAscii(std::string_view utf8);

}  // namespace melvora
