#pragma once

#include <string>
#include <string_view>

#include "regex/MatchOffsets.h"

namespace melvora {

// The subject with every listed match replaced by `replacement`, in which "$1".."$99" stand for a
// capture group, "$&" for the match, "$`" and "$'" for the text before and after it and "$$" for
// a dollar sign. A "$" that begins none of these is kept, as is a group number beyond the
// pattern's groups; a group that took no part in the match gives nothing.
std::u16string SubstituteMatches(std::u16string_view subject, const MatchOffsets& matches,
                                 std::u16string_view replacement);

}  // namespace melvora
