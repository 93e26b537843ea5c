#include "http/TextPieces.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "text/TextSearch.h"

namespace melvora {

namespace {

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

// The byte length of the character starting at `offset`: two for a GBK lead byte that has a
// second byte after it, else one.
std::size_t CharacterLength(const Text& text, std::size_t offset) {
    return IsGbkLeadByte(text[offset]) && offset + 1 < text.size() ? 2 : 1;
}

bool IsBlankAt(const Text& text, std::size_t offset, std::size_t length) {
    if (length == 1) {
        return text[offset] == ' ';
    }
    return text[offset] == kFullWidthSpaceByte && text[offset + 1] == kFullWidthSpaceByte;
}

}  // namespace

std::vector<Text> SplitText(const Text& text, std::string_view separator) {
    std::vector<Text> pieces;
    if (text.empty()) {
        return pieces;
    }
    std::size_t pieceStart = 0;
    while (true) {
        const int32_t found =
            FindText(text, separator, static_cast<int32_t>(pieceStart) + 1, LetterCase::Exact);
        if (found == -1 || separator.empty()) {
            break;
        }
        const auto separatorAt = static_cast<std::size_t>(found - 1);
        pieces.push_back(text.Slice(pieceStart, separatorAt - pieceStart));
        pieceStart = separatorAt + separator.size();
        if (pieceStart >= text.size()) {
            return pieces;
        }
    }
    pieces.push_back(text.Slice(pieceStart));
    return pieces;
}

Text StripBlanks(const Text& text) {
    std::size_t keepFrom = text.size();
    std::size_t keepTo = 0;
    for (std::size_t offset = 0; offset < text.size();) {
        const std::size_t length = CharacterLength(text, offset);
        if (!IsBlankAt(text, offset, length)) {
            keepFrom = std::min(keepFrom, offset);
            keepTo = offset + length;
        }
        offset += length;
    }
    return keepFrom >= keepTo ? Text() : text.Slice(keepFrom, keepTo - keepFrom);
}

Text RemoveBlanks(const Text& text) {
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        const std::size_t length = CharacterLength(text, offset);
        if (!IsBlankAt(text, offset, length)) {
            kept.append(text.view().substr(offset, length));
        }
        offset += length;
    }
    return Text(std::move(kept));
}

}  // namespace melvora
