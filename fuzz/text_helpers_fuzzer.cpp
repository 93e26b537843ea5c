// TextBetween, MultiReplace and StripEmTags over hostile GBK bytes.
//
// Input, one field a line: the left marker, the right marker, the first find/replacement pair, the
// second find/replacement pair, an options line "<count> <startPos> <case>", then the text (the
// rest of the input, line feeds included). In the options line a count of "*" or none means every
// occurrence, and a case of "e" compares exactly; anything else ignores case.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "text/TextHelpers.h"
#include "text/TextSearch.h"

namespace {

using melvora::LetterCase;
using melvora::MultiReplaceOptions;
using melvora::Text;
using melvora::fuzz::FuzzInput;
using melvora::fuzz::IsSubstring;
using melvora::fuzz::Require;

std::string_view NextWord(std::string_view& line) {
    while (line.starts_with(' ')) {
        line.remove_prefix(1);
    }
    const std::size_t end = line.find(' ');
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(word.size());
    return word;
}

std::optional<int32_t> ParseInt(std::string_view word) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) {
        return std::nullopt;
    }
    return value;
}

MultiReplaceOptions ParseOptions(std::string_view line) {
    MultiReplaceOptions options;
    options.count = ParseInt(NextWord(line));
    options.startPos = ParseInt(NextWord(line)).value_or(0);
    options.letterCase = NextWord(line) == "e" ? LetterCase::Exact : LetterCase::Ignore;
    return options;
}

void CheckTextBetween(const Text& text, const Text& left, const Text& right,
                      const MultiReplaceOptions& options) {
    const Text between =
        melvora::TextBetween(text, left, right, options.startPos, options.letterCase);
    Require(IsSubstring(between, text), "TextBetween result is a substring of the text");
    Require(between.size() < text.size() || between.empty(),
            "TextBetween result is shorter than the text");
    // Without placeholders the markers stand for themselves, so an exact hit shows all three
    // pieces side by side in the text.
    const bool plainMarkers = left.view().find('#') == std::string_view::npos &&
                              right.view().find('#') == std::string_view::npos;
    if (!between.empty() && plainMarkers && options.letterCase == LetterCase::Exact) {
        Require(IsSubstring(left + between + right, text),
                "TextBetween result lies between the two markers");
    }
}

void CheckMultiReplace(const Text& text, const Text& find1, const Text& replacement1,
                       const Text& find2, const Text& replacement2,
                       const MultiReplaceOptions& options) {
    const Text replaced =
        melvora::MultiReplace(text, {{find1, replacement1}, {find2, replacement2}}, options);
    if (options.count == 0 || (find1.empty() && find2.empty())) {
        Require(replaced == text, "MultiReplace with nothing to do leaves the text unchanged");
    }
    if (replacement1.empty() && replacement2.empty()) {
        Require(replaced.size() <= text.size(), "MultiReplace with empty replacements never grows");
    }
    const std::size_t kept =
        options.startPos < 1 ? 0 : static_cast<std::size_t>(options.startPos) - 1;
    Require(replaced.view().starts_with(text.view().substr(0, kept)),
            "MultiReplace keeps the bytes before startPos");
}

void CheckStripEmTags(const Text& text) {
    const Text stripped = melvora::StripEmTags(text);
    Require(stripped.size() <= text.size(), "StripEmTags never grows the text");
    if (text.view().find('<') == std::string_view::npos) {
        Require(stripped == text, "StripEmTags leaves a text without tags unchanged");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const Text left(input.NextLine());
    const Text right(input.NextLine());
    const Text find1(input.NextLine());
    const Text replacement1(input.NextLine());
    const Text find2(input.NextLine());
    const Text replacement2(input.NextLine());
    const MultiReplaceOptions options = ParseOptions(input.NextLine());
    const Text text(input.Rest());

    CheckTextBetween(text, left, right, options);
    CheckMultiReplace(text, find1, replacement1, find2, replacement2, options);
    CheckStripEmTags(text);
    return 0;
}
