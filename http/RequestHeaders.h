#pragma once

#include <cstdint>
#include <vector>

#include "text/Text.h"

namespace melvora {

// The request header block: the caller's lines, then every default line the block does not have
// yet, each line ending in CR LF. The cookie text goes out in a Cookie line unless the caller's
// lines carry one already.
Text BuildRequestHeaders(const Text& extraHeaders, const Text& cookies);

// Takes the reply's raw header text apart: `responseHeaders` receives it with every Set-Cookie
// name spelled "Set-Cookie", `statusText` the code and reason phrase, `returnedCookies` the first
// attribute of every cookie appended (and then its last two bytes cut), and `location` the value
// of the last Location line when there is one.
void ReadResponseHeaders(const Text& headerText, Text& responseHeaders, Text& statusText,
                         Text& returnedCookies, Text& location);

// Folds the reply's cookies into the caller's: the reply's value of a name wins, "=deleted"
// items go, and repeated items appear once. Both variables lose their blanks. Returns the new
// `cookies`.
Text MergeCookies(Text& cookies, Text& returnedCookies);

// The part of a cookie item before its first "=", without blanks at either end.
Text CookieName(const Text& item);

bool HasCookieNamed(const std::vector<Text>& items, const Text& name);

// `text` split at `separator` and joined again, each item kept the first time it occurs.
Text RemoveDuplicateItems(const Text& text, const Text& separator);

// The 1-based position of the first item equal to `item`, or -1.
int32_t IndexOfItem(const std::vector<Text>& items, const Text& item);

}  // namespace melvora
