#pragma once

#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace melvora {

enum class LetterCase { Exact, Ignore };

// Finds `needle` in `text` from the 1-based byte position `startPos` (1 or less: from the start),
// stepping one GBK character at a time, so a hit never begins on the second byte of a two-byte
// character. Ignoring case folds ASCII letters only. Returns the 1-based position, or -1.
// An empty needle is found at the first character position of a non-empty text.
int32_t FindText(const Text& text, std::string_view needle, int32_t startPos = 1,
                 LetterCase letterCase = LetterCase::Exact);

inline bool ContainsText(const Text& text, std::string_view needle,
                         LetterCase letterCase = LetterCase::Exact) {
    return FindText(text, needle, 1, letterCase) != -1;
}

// True when the byte begins a two-byte GBK character.
constexpr bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x80;
}

constexpr char FoldAsciiCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

}  // namespace melvora
