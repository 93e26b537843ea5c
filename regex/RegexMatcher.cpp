#include "regex/RegexMatcher.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "regex/MatchOffsets.h"
#include "regex/ReplacementTemplate.h"
#include "regex/Utf16Pattern.h"
#include "text/CodePage.h"
#include "text/TextSearch.h"

namespace melvora {

using namespace melvora::literals;

// What the last Search was asked for. `compiled` is empty when the pattern was rejected; the
// pattern text is kept all the same, since GetPattern reports it either way.
struct RegexMatcher::Engine {
    Text pattern;
    RegexSearchOptions options;
    std::unique_ptr<const Utf16Pattern> compiled;
};

struct RegexMatcher::MatchList {
    MatchOffsets offsets;
};

namespace {

constexpr int32_t kNotFound = -2;

// Lets a caller write a double quote into a pattern without escaping it. Replaced byte for byte,
// every occurrence, left to right.
Text ReplaceQuotePlaceholders(const Text& pattern) {
    static const Text kPlaceholder = "#引号"_gbk;
    std::string bytes = pattern.str();
    const std::string& placeholder = kPlaceholder.str();
    for (auto at = bytes.find(placeholder); at != std::string::npos;
         at = bytes.find(placeholder, at + 1)) {
        bytes.replace(at, placeholder.size(), 1, '"');
    }
    return Text(std::move(bytes));
}

// Match n (1-based), group g (0 for the whole match).
std::optional<UnitSpan> SpanOf(const RegexMatcher::MatchList* matches, int32_t n, int32_t g) {
    if (matches == nullptr || n < 1 || g < 0) {
        return std::nullopt;
    }
    return matches->offsets.Group(static_cast<std::size_t>(n) - 1, static_cast<uint32_t>(g));
}

int32_t ClampToInt32(std::size_t value) {
    return static_cast<int32_t>(std::min<std::size_t>(value, INT32_MAX));
}

}  // namespace

RegexMatcher::RegexMatcher() = default;
RegexMatcher::~RegexMatcher() = default;
RegexMatcher::RegexMatcher(const RegexMatcher& other) = default;
RegexMatcher& RegexMatcher::operator=(const RegexMatcher& other) = default;
RegexMatcher::RegexMatcher(RegexMatcher&&) noexcept = default;
RegexMatcher& RegexMatcher::operator=(RegexMatcher&&) noexcept = default;

bool RegexMatcher::Search(const Text& pattern, const Text& subject,
                          const RegexSearchOptions& options) {
    m_engine.reset();
    m_matches.reset();

    auto engine = std::make_shared<Engine>();
    engine->options = options;
    engine->pattern = options.quotePlaceholder ? ReplaceQuotePlaceholders(pattern) : pattern;
    engine->compiled = Utf16Pattern::Compile(
        Utf16FromGbk(engine->pattern),
        options.caseSensitive ? LetterMatching::CaseSensitive : LetterMatching::Caseless,
        options.multiline ? LineAnchors::EveryLine : LineAnchors::SubjectOnly);
    m_engine = engine;
    m_subject = Utf16FromGbk(subject);
    if (!engine->compiled) {
        return false;
    }

    std::optional<MatchOffsets> found = engine->compiled->FindMatches(
        m_subject, options.global ? MatchScope::All : MatchScope::FirstOnly);
    if (!found) {
        return false;
    }
    m_matches = std::make_shared<const MatchList>(MatchList{std::move(*found)});
    return true;
}

Text RegexMatcher::GetPattern() const {
    return m_engine ? m_engine->pattern : Text();
}

Text RegexMatcher::ReplaceMatches(const Text& replacement) const {
    // The stored matches are exactly what a fresh run of the last pattern and options over the
    // stored subject would find, so there is nothing to run again.
    if (!m_engine || !m_matches) {
        return {};
    }
    return GbkFromUtf16(
        SubstituteMatches(m_subject, m_matches->offsets, Utf16FromGbk(replacement)));
}

int32_t RegexMatcher::MatchCount() const {
    return m_matches ? ClampToInt32(m_matches->offsets.MatchCount()) : 0;
}

Text RegexMatcher::MatchText(int32_t n, int32_t* position) const {
    return GroupText(n, 0, position);
}

Text RegexMatcher::SubMatchText(int32_t n, int32_t g, int32_t* position) const {
    // Group 0 is the whole match, which this operation does not hand out.
    if (g < 1) {
        if (position != nullptr) {
            *position = kNotFound;
        }
        return {};
    }
    return GroupText(n, g, position);
}

int32_t RegexMatcher::SubMatchCount() const {
    if (!m_matches || m_matches->offsets.MatchCount() == 0) {
        return 0;
    }
    return ClampToInt32(m_matches->offsets.GroupCount());
}

Text RegexMatcher::GroupText(int32_t n, int32_t g, int32_t* position) const {
    const std::optional<UnitSpan> whole = SpanOf(m_matches.get(), n, 0);
    if (!whole || (g > 0 && static_cast<uint32_t>(g) > m_matches->offsets.GroupCount())) {
        if (position != nullptr) {
            *position = kNotFound;
        }
        return {};
    }
    // A group that took no part in the match reads as empty text.
    const std::optional<UnitSpan> span = SpanOf(m_matches.get(), n, g);
    const Text text =
        span ? GbkFromUtf16(std::u16string_view(m_subject).substr(span->begin, span->size()))
             : Text();
    if (position != nullptr) {
        // A group has no start of its own; it is looked for from the start of its match.
        *position = LocateInSubject(text, whole->begin);
    }
    return text;
}

int32_t RegexMatcher::LocateInSubject(const Text& text, std::size_t firstIndex) const {
    // The match start counts characters while the GBK subject counts bytes, and a Chinese
    // character takes one unit but two bytes; the byte position is at or after the character
    // index, so the search for the text starts one before it and steps whole characters.
    const Text subject = GbkFromUtf16(m_subject);
    const int32_t startPos = firstIndex == 0 ? 1 : ClampToInt32(firstIndex);
    const LetterCase letterCase =
        m_engine->options.caseSensitive ? LetterCase::Exact : LetterCase::Ignore;
    const int32_t found = FindText(subject, text.view(), startPos, letterCase);
    return found == -1 ? kNotFound : found - 1;
}

}  // namespace melvora
