#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "text/Text.h"

namespace melvora {

struct RegexSearchOptions {
    bool caseSensitive = false;
    bool multiline = true;
    bool global = true;
    // When set, every "#引号" in the pattern stands for a double quote.
    bool quotePlaceholder = false;
};

// Runs one regular expression over one GBK subject and answers questions about the matches.
// The pattern sees the subject as characters, not bytes. Every failure is silent: a pattern that
// does not compile makes Search false, counts 0 and texts empty. A matcher belongs to one thread.
class RegexMatcher {
public:
    RegexMatcher();
    ~RegexMatcher();
    // A copy shares the compiled pattern and the match list and holds its own copy of the subject.
    RegexMatcher(const RegexMatcher& other);
    RegexMatcher& operator=(const RegexMatcher& other);
    RegexMatcher(RegexMatcher&&) noexcept;
    RegexMatcher& operator=(RegexMatcher&&) noexcept;

    // True when the pattern compiled and ran, also when nothing matched.
    bool Search(const Text& pattern, const Text& subject, const RegexSearchOptions& options = {});
    [[nodiscard]] Text GetPattern() const;
    // The subject with the matches replaced; "$1", "$&", "$`", "$'" and "$$" as in the replace
    // strings of classic script engines.
    [[nodiscard]] Text ReplaceMatches(const Text& replacement = {}) const;
    [[nodiscard]] int32_t MatchCount() const;
    // Match n (1-based). When `position` is given it receives the 0-based byte offset of the text
    // in the GBK subject, or -2 when it cannot be found there.
    [[nodiscard]] Text MatchText(int32_t n, int32_t* position = nullptr) const;
    // Capture group g (1-based) of match n (1-based); empty when either does not exist or the
    // group took no part in the match.
    [[nodiscard]] Text SubMatchText(int32_t n, int32_t g, int32_t* position = nullptr) const;
    // The number of capture groups of the first match; 0 when there is none.
    [[nodiscard]] int32_t SubMatchCount() const;

    struct Engine;
    struct MatchList;

private:
    // Group 0 is the whole match.
    [[nodiscard]] Text GroupText(int32_t n, int32_t g, int32_t* position) const;
    [[nodiscard]] int32_t LocateInSubject(const Text& text, std::size_t firstIndex) const;

    std::shared_ptr<const Engine> m_engine;
    std::shared_ptr<const MatchList> m_matches;
    std::u16string m_subject;
};

}  // namespace melvora
