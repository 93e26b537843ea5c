#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "regex/MatchOffsets.h"

namespace melvora {

enum class LetterMatching { CaseSensitive, Caseless };
enum class LineAnchors { SubjectOnly, EveryLine };
enum class MatchScope { FirstOnly, All };

// One compiled regular expression over UTF-16 text. Immutable once compiled, so one instance can
// serve any number of runs and be shared by copies of the matcher that made it.
class Utf16Pattern {
public:
    // Empty when the engine rejects the pattern.
    static std::unique_ptr<const Utf16Pattern> Compile(std::u16string_view pattern,
                                                       LetterMatching letters, LineAnchors anchors);
    ~Utf16Pattern();
    Utf16Pattern(const Utf16Pattern&) = delete;
    Utf16Pattern& operator=(const Utf16Pattern&) = delete;

    [[nodiscard]] uint32_t CaptureCount() const;

    // The matches from left to right (only the first with FirstOnly). Empty when the run failed:
    // a subject that is not valid UTF-16, or an engine limit reached.
    [[nodiscard]] std::optional<MatchOffsets> FindMatches(std::u16string_view subject,
                                                          MatchScope scope) const;

private:
    struct Compiled;
    explicit Utf16Pattern(std::unique_ptr<Compiled> compiled);

    std::unique_ptr<Compiled> m_compiled;
};

}  // namespace melvora
