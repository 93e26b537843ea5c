#include "text/TextHelpers.h"

#include <string>

#include "text/CodePage.h"

namespace melvora {

using namespace literals;

namespace {

// Markers may spell a double quote as "#引号"; replaced byte for byte, from the start.
Text ExpandQuotePlaceholder(const Text& marker) {
    static const std::string placeholder = "#引号"_gbk.str();
    const std::string_view bytes = marker.view();
    std::string out;
    size_t from = 0;
    for (size_t at = bytes.find(placeholder); at != std::string_view::npos;
         at = bytes.find(placeholder, from)) {
        out.append(bytes.substr(from, at - from));
        out.push_back('"');
        from = at + placeholder.size();
    }
    out.append(bytes.substr(from));
    return Text(std::move(out));
}

Text ReplaceOnePair(const Text& text, const ReplacePair& pair, const MultiReplaceOptions& options,
                    size_t startOffset) {
    if (pair.find.empty() || startOffset >= text.size() || options.count == 0) {
        return text;
    }
    std::string out = text.str().substr(0, startOffset);
    size_t at = startOffset;
    int32_t replaced = 0;
    while (at < text.size()) {
        if (options.count && replaced >= *options.count) {
            break;
        }
        const int32_t hit =
            FindText(text, pair.find.view(), static_cast<int32_t>(at) + 1, options.letterCase);
        if (hit == -1) {
            break;
        }
        const auto hitOffset = static_cast<size_t>(hit - 1);
        out.append(text.view().substr(at, hitOffset - at));
        out.append(pair.replacement.view());
        at = hitOffset + pair.find.size();
        ++replaced;
    }
    if (at < text.size()) {
        out.append(text.view().substr(at));
    }
    return Text(std::move(out));
}

void AppendUnitLittleEndian(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

Text TextBetween(const Text& text, Text leftMarker, Text rightMarker, int32_t startPos,
                 LetterCase letterCase) {
    leftMarker = ExpandQuotePlaceholder(leftMarker);
    rightMarker = ExpandQuotePlaceholder(rightMarker);
    int32_t begin = FindText(text, leftMarker.view(), startPos, letterCase);
    if (begin == -1) {
        return {};
    }
    begin += static_cast<int32_t>(leftMarker.size());
    const int32_t end = FindText(text, rightMarker.view(), begin, letterCase);
    if (end == -1) {
        return {};
    }
    return text.Slice(static_cast<size_t>(begin - 1), static_cast<size_t>(end - begin));
}

Text MultiReplace(const Text& text, std::initializer_list<ReplacePair> pairs,
                  const MultiReplaceOptions& options) {
    const size_t startOffset = options.startPos < 1 ? 0 : static_cast<size_t>(options.startPos) - 1;
    Text result = text;
    for (const ReplacePair& pair : pairs) {
        result = ReplaceOnePair(result, pair, options, startOffset);
    }
    return result;
}

Text StripEmTags(const Text& text) {
    return MultiReplace(text, {{"<em>", ""}, {"<\\/em>", ""}});
}

Text Utf8ToGbk(const Text& utf8) {
    return EncodeFromWide(DecodeToWide(utf8), kCodePageGbk);
}

Bytes DecodeToWide(const Text& text, int codePage) {
    std::u16string units;
    if (codePage == kCodePageUtf8) {
        units = Utf16FromUtf8(text.view());
    } else if (codePage == kCodePageGbk) {
        units = Utf16FromGbk(text);
    } else if (auto decoded = DecodeCharset(text.view(), ConverterNameForCodePage(codePage))) {
        units = std::move(*decoded);
    }
    std::string out;
    out.reserve((units.size() + 1) * 2);
    for (const char16_t unit : units) {
        AppendUnitLittleEndian(out, unit);
    }
    AppendUnitLittleEndian(out, u'\0');
    return Bytes(std::move(out));
}

Text EncodeFromWide(const Bytes& wide, int codePage) {
    std::u16string units;
    units.reserve(wide.size() / 2);
    for (size_t at = 0; at + 1 < wide.size(); at += 2) {
        const auto low = static_cast<unsigned char>(wide.data()[at]);
        const auto high = static_cast<unsigned char>(wide.data()[at + 1]);
        const auto unit = static_cast<char16_t>(low | (high << 8));
        if (unit == u'\0') {
            break;
        }
        units.push_back(unit);
    }
    if (codePage == kCodePageGbk) {
        return GbkFromUtf16(units);
    }
    if (codePage == kCodePageUtf8) {
        return Text(Utf8FromUtf16(units));
    }
    return {};  // no other code page is ever asked for; an unknown one converts to nothing
}

}  // namespace melvora
