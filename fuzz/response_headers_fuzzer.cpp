// ReadResponseHeaders and MergeCookies over a hostile reply header block.
//
// Input: the caller's cookie text on the first line, then the reply's raw header text (CR LF
// line ends, as the wire gives them).

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzInput.h"
#include "http/RequestHeaders.h"

namespace {

using melvora::Text;
using melvora::fuzz::EqualIgnoringAsciiCase;
using melvora::fuzz::FuzzInput;
using melvora::fuzz::IsSubstring;
using melvora::fuzz::Require;

// The status text starts at the 10th byte of the header text.
constexpr std::size_t kStatusOffset = 9;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    Text cookies(input.NextLine());
    const Text headerText(input.Rest());

    Text responseHeaders;
    Text statusText;
    Text returnedCookies;
    Text location;
    melvora::ReadResponseHeaders(headerText, responseHeaders, statusText, returnedCookies,
                                 location);

    // Only the spelling of "Set-Cookie" changes, so the text keeps its length and its letters.
    Require(EqualIgnoringAsciiCase(responseHeaders.view(), headerText.view()),
            "response headers differ from the header text only in letter case");
    Require(
        statusText.empty() || headerText.Slice(kStatusOffset).view().starts_with(statusText.view()),
        "status text is the header text from its 10th byte");
    Require(IsSubstring(location, responseHeaders), "location comes from a header line");
    Require(returnedCookies.size() <= responseHeaders.size(),
            "returned cookies are no longer than the headers they come from");

    const Text cookiesBefore = cookies;
    const Text returnedBefore = returnedCookies;
    const Text merged = melvora::MergeCookies(cookies, returnedCookies);
    Require(merged == cookies, "MergeCookies returns the new cookie text");
    Require(returnedCookies.size() <= returnedBefore.size(), "blank removal never grows a text");
    // Every merged item comes from one of the two texts, joined by "; ".
    Require(merged.size() <= 3 * (cookiesBefore.size() + returnedBefore.size()) + 2,
            "merged cookies stay in proportion to their sources");
    return 0;
}
