#pragma once

#include "regex/RegexMatcher.h"
#include "text/Bytes.h"
#include "text/Text.h"

namespace melvora {

// The character set that an HTML meta tag within the first 1024 bytes of `bodyText` declares,
// as written in the page; empty when there is none.
Text DetectCharset(const Text& bodyText, RegexMatcher& matcher);

// The body as Text: re-decoded from `bodyBytes` (every byte, NULs included) when the page
// declares a character set other than "gbk" or "gb2312", else `bodyText` unchanged. A name the
// converters do not know, or bytes they cannot decode, also leave `bodyText` unchanged.
Text DecodeBody(Text bodyText, const Bytes& bodyBytes, RegexMatcher& matcher);

}  // namespace melvora
