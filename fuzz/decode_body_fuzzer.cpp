// DecodeBody over hostile character-set names and bodies.
//
// Input: the first line is a character-set name and the rest the page after its meta tag; the
// body handed over is an HTML head declaring that name, then the rest. A first line starting with
// "@" instead hands the rest over as the whole body, so the meta-tag pattern meets raw bytes too.
// The body bytes keep every byte, NULs included; the body text stops at the first NUL, as the
// request engine gives them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "http/ResponseDecoding.h"
#include "regex/RegexMatcher.h"
#include "text/Bytes.h"

namespace {

using melvora::Bytes;
using melvora::RegexMatcher;
using melvora::Text;
using melvora::fuzz::FuzzInput;
using melvora::fuzz::IsSubstring;
using melvora::fuzz::Require;

// How far into the body the meta tag is looked for.
constexpr std::size_t kProbeBytes = 1024;

std::string BodyFrom(FuzzInput& input) {
    const std::string_view charset = input.NextLine();
    if (charset.starts_with('@')) {
        return std::string(input.Rest());
    }
    std::string body =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    body += charset;
    body += "\"></head>";
    body += input.Rest();
    return body;
}

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const Bytes bodyBytes(BodyFrom(input));
    const Text bodyText(bodyBytes.view());

    RegexMatcher matcher;
    const Text charset = melvora::DetectCharset(bodyText, matcher);
    const Text probe = bodyText.Slice(0, kProbeBytes);
    // Without GBK characters the probe survives the trip through UTF-16 unchanged, so the name
    // must be a piece of it.
    if (IsAscii(probe.view())) {
        Require(IsSubstring(charset, probe), "the charset name comes from the probe");
    }

    const Text decoded = melvora::DecodeBody(bodyText, bodyBytes, matcher);
    if (charset.empty() || charset == Text("gbk") || charset == Text("gb2312")) {
        Require(decoded == bodyText, "a body in our own code page comes back unchanged");
    }
    return 0;
}
