#include "http/WideText.h"

#include <unicode/unorm2.h>

#include <string>

#include "text/CodePage.h"

namespace melvora {

namespace {

// Precomposed forms, so that "e" followed by a combining acute reaches GBK as the one character
// it has for it instead of two question marks. Falls back to the units as they are.
std::u16string Precomposed(const std::u16string& units) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status) || units.empty()) {
        return units;
    }
    const auto length = static_cast<int32_t>(units.size());
    // Normalising to NFC can lengthen a text, by three times at the very most.
    std::u16string composed(units.size() * 3, u'\0');
    const int32_t written = unorm2_normalize(nfc, units.data(), length, composed.data(),
                                             static_cast<int32_t>(composed.size()), &status);
    if (U_FAILURE(status)) {
        return units;
    }
    composed.resize(static_cast<std::size_t>(written));
    return composed;
}

}  // namespace

Bytes TextToUtf16(const Text& text, bool dropTerminator) {
    if (text.empty()) {
        return Bytes();
    }
    std::u16string units = Utf16FromGbk(text);
    if (!dropTerminator) {
        units.push_back(u'\0');
    }
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return Bytes(std::move(bytes));
}

Text Utf16ToText(const Bytes& units) {
    std::u16string wide;
    wide.reserve(units.size() / 2);
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        const auto low = static_cast<unsigned char>(units.data()[i]);
        const auto high = static_cast<unsigned char>(units.data()[i + 1]);
        wide += static_cast<char16_t>(low | (high << 8));
    }
    // Text ends at its first NUL, and so must the conversion: nothing after it may leak in.
    if (const auto nul = wide.find(u'\0'); nul != std::u16string::npos) {
        wide.resize(nul);
    }
    return GbkFromUtf16(Precomposed(wide));
}

}  // namespace melvora
