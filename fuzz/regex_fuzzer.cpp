// RegexMatcher over hostile subjects with the program's own patterns, and over hostile short
// patterns, which must fail silently when they do not compile.
//
// Input: a first line of up to two characters. The first picks the pattern by its value modulo
// 6: 0 to 4 are the program's patterns (song name, file hash, ID, singer, meta charset), 5 takes
// the pattern from the second line (at most kMaxPatternBytes of it). The second character, when
// present, gives the search options by its low four bits: 1 case-sensitive, 2 single-line anchors,
// 4 first match only, 8 quote placeholder; without it the options are the defaults the program
// uses. The rest of the input is the subject.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "regex/RegexMatcher.h"
#include "text/CodePage.h"

namespace {

using melvora::RegexMatcher;
using melvora::RegexSearchOptions;
using melvora::Text;
using melvora::fuzz::EqualIgnoringAsciiCase;
using melvora::fuzz::FuzzInput;
using melvora::fuzz::Require;

constexpr std::array<const char*, 5> kProgramPatterns{
    "SongName\":\"(.*?)\"",   "\"FileHash\":\"(.*?)\"",           "\"ID\":\"(.*?)\"",
    "SingerName\":\"(.*?)\"", "<meta.+?charset=[^\\w]?([-\\w]+)",
};
constexpr std::size_t kFuzzedPatternMode = kProgramPatterns.size();
constexpr std::size_t kModeCount = kProgramPatterns.size() + 1;
// Long enough for every construct of the dialect, short enough that a run stays quick.
constexpr std::size_t kMaxPatternBytes = 64;
constexpr int32_t kNotFound = -2;

RegexSearchOptions OptionsFrom(std::string_view header) {
    RegexSearchOptions options;
    if (header.size() < 2) {
        return options;
    }
    const auto bits = static_cast<unsigned char>(header[1]);
    options.caseSensitive = (bits & 1) != 0;
    options.multiline = (bits & 2) == 0;
    options.global = (bits & 4) == 0;
    options.quotePlaceholder = (bits & 8) != 0;
    return options;
}

// A position, when found, points at the text in the subject as the matcher sees it (after the
// round trip through UTF-16), with the case rule of the search.
void CheckPosition(const Text& text, int32_t position, const Text& seenSubject,
                   const RegexSearchOptions& options) {
    if (position == kNotFound) {
        return;
    }
    Require(position >= 0, "a position is -2 or a byte offset");
    const auto offset = static_cast<std::size_t>(position);
    Require(offset + text.size() <= seenSubject.size(), "a position lies inside the subject");
    const std::string_view atPosition = seenSubject.view().substr(offset, text.size());
    Require(options.caseSensitive ? atPosition == text.view()
                                  : EqualIgnoringAsciiCase(atPosition, text.view()),
            "the subject holds the text at its position");
}

void ReadEverything(const RegexMatcher& matcher, const Text& subject,
                    const RegexSearchOptions& options) {
    const Text seenSubject = melvora::GbkFromUtf16(melvora::Utf16FromGbk(subject));
    const int32_t matchCount = matcher.MatchCount();
    const int32_t groupCount = matcher.SubMatchCount();
    Require(matchCount >= 0 && groupCount >= 0, "counts are never negative");
    Require(options.global || matchCount <= 1, "a search for the first match finds one at most");
    if (matchCount == 0) {
        Require(groupCount == 0, "no match, no groups");
    }
    // One past either end must read as nothing.
    for (int32_t n = 0; n <= matchCount + 1; ++n) {
        int32_t position = 0;
        const Text match = matcher.MatchText(n, &position);
        const bool exists = n >= 1 && n <= matchCount;
        Require(exists || (match.empty() && position == kNotFound),
                "a match that does not exist is empty and has no position");
        CheckPosition(match, position, seenSubject, options);
        for (int32_t g = 0; g <= groupCount + 1; ++g) {
            const Text group = matcher.SubMatchText(n, g, &position);
            const bool groupExists = exists && g >= 1 && g <= groupCount;
            Require(groupExists || (group.empty() && position == kNotFound),
                    "a group that does not exist is empty and has no position");
            CheckPosition(group, position, seenSubject, options);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::string_view header = input.NextLine();
    const std::size_t mode =
        header.empty() ? 0 : static_cast<unsigned char>(header[0]) % kModeCount;
    const RegexSearchOptions options = OptionsFrom(header);
    const Text pattern = mode == kFuzzedPatternMode
                             ? Text(input.NextLine().substr(0, kMaxPatternBytes))
                             : Text(kProgramPatterns[mode]);
    const Text subject(input.Rest());

    RegexMatcher matcher;
    const bool ran = matcher.Search(pattern, subject, options);
    if (!ran) {
        Require(matcher.MatchCount() == 0 && matcher.SubMatchCount() == 0,
                "a failed search has no matches");
        Require(matcher.MatchText(1).empty() && matcher.SubMatchText(1, 1).empty(),
                "a failed search has no texts");
        Require(matcher.ReplaceMatches("x").empty(), "a failed search replaces nothing");
        return 0;
    }
    ReadEverything(matcher, subject, options);

    // A copy answers the same questions with the same answers.
    const RegexMatcher copy = matcher;
    Require(copy.MatchCount() == matcher.MatchCount() &&
                copy.MatchText(copy.MatchCount()) == matcher.MatchText(matcher.MatchCount()),
            "a copy has the same matches");
    Require(copy.GetPattern() == matcher.GetPattern(), "a copy has the same pattern");
    (void)matcher.ReplaceMatches("[$1|$&|$`|$'|$$|$9]");
    // A second search replaces the first one's matches in full.
    Require(matcher.Search(kProgramPatterns[0], Text()) && matcher.MatchCount() == 0,
            "a search over an empty subject finds nothing");
    return 0;
}
