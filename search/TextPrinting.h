#pragma once

#include <ostream>

#include "text/CodePage.h"
#include "text/Text.h"

namespace melvora {

// Lets GoogleTest show a Text readably (as UTF-8) when an expectation fails.
inline void PrintTo(const Text& text, std::ostream* out) {
    *out << '"' << Utf8FromGbk(text) << '"';
}

}  // namespace melvora
