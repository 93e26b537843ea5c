#include "text/TextSearch.h"

#include <cstring>

namespace melvora {

namespace {

bool MatchesAt(std::string_view text, size_t at, std::string_view needle, LetterCase letterCase) {
    if (letterCase == LetterCase::Exact) {
        return std::memcmp(text.data() + at, needle.data(), needle.size()) == 0;
    }
    for (size_t k = 0; k < needle.size(); ++k) {
        if (FoldAsciiCase(text[at + k]) != FoldAsciiCase(needle[k])) {
            return false;
        }
    }
    return true;
}

}  // namespace

int32_t FindText(const Text& text, std::string_view needle, int32_t startPos,
                 LetterCase letterCase) {
    const std::string_view bytes = text.view();
    size_t at = startPos <= 1 ? 0 : static_cast<size_t>(startPos) - 1;
    while (at < bytes.size()) {
        const bool lead = IsGbkLeadByte(static_cast<unsigned char>(bytes[at]));
        if (lead && at + 1 >= bytes.size()) {
            return -1;  // a lone lead byte at the end holds no character to match
        }
        if (needle.size() <= bytes.size() - at && MatchesAt(bytes, at, needle, letterCase)) {
            return static_cast<int32_t>(at) + 1;
        }
        at += lead ? 2 : 1;
    }
    return -1;
}

}  // namespace melvora
