#include "regex/ReplacementTemplate.h"

#include <algorithm>

namespace melvora {

namespace {

bool IsDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

void AppendSpan(std::u16string& out, std::u16string_view subject, std::optional<UnitSpan> span) {
    if (span) {
        out.append(subject.substr(span->begin, span->size()));
    }
}

// Appends `replacement` expanded for match `match`; a "$" form that names nothing stays as written.
void AppendExpansion(std::u16string& out, std::u16string_view replacement,
                     std::u16string_view subject, const MatchOffsets& matches, std::size_t match) {
    const UnitSpan whole = *matches.Group(match, 0);
    const uint32_t groupCount = matches.GroupCount();
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        const char16_t unit = replacement[i];
        if (unit != u'$' || i + 1 >= replacement.size()) {
            out += unit;
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out += u'$';
            ++i;
        } else if (next == u'&') {
            AppendSpan(out, subject, whole);
            ++i;
        } else if (next == u'`') {
            out.append(subject.substr(0, whole.begin));
            ++i;
        } else if (next == u'\'') {
            out.append(subject.substr(whole.end));
            ++i;
        } else if (IsDigit(next)) {
            // Two digits win when they name a group, as "$12" does with twelve groups; otherwise
            // one digit does and the second is plain text.
            const uint32_t first = next - u'0';
            if (i + 2 < replacement.size() && IsDigit(replacement[i + 2])) {
                const uint32_t both = first * 10 + (replacement[i + 2] - u'0');
                if (both >= 1 && both <= groupCount) {
                    AppendSpan(out, subject, matches.Group(match, both));
                    i += 2;
                    continue;
                }
            }
            if (first >= 1 && first <= groupCount) {
                AppendSpan(out, subject, matches.Group(match, first));
                ++i;
            } else {
                out += u'$';
            }
        } else {
            out += u'$';
        }
    }
}

}  // namespace

std::u16string SubstituteMatches(std::u16string_view subject, const MatchOffsets& matches,
                                 std::u16string_view replacement) {
    std::u16string out;
    out.reserve(subject.size());
    std::size_t copied = 0;
    for (std::size_t match = 0; match < matches.MatchCount(); ++match) {
        const UnitSpan whole = *matches.Group(match, 0);
        if (whole.begin > copied) {
            out.append(subject.substr(copied, whole.begin - copied));
        }
        AppendExpansion(out, replacement, subject, matches, match);
        copied = std::max(copied, whole.end);
    }
    if (copied < subject.size()) {
        out.append(subject.substr(copied));
    }
    return out;
}

}  // namespace melvora
