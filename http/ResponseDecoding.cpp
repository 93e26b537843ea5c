#include "http/ResponseDecoding.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "text/CodePage.h"

namespace melvora {

namespace {

constexpr std::size_t kProbeBytes = 1024;
constexpr const char* kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";

bool IsOwnCodePageName(const Text& name) {
    return name == Text("gbk") || name == Text("gb2312");
}

}  // namespace

Text DetectCharset(const Text& bodyText, RegexMatcher& matcher) {
    // The cut is by bytes and may split a two-byte character; the pattern only looks at ASCII.
    const Text probe = bodyText.Slice(0, kProbeBytes);
    if (!matcher.Search(kCharsetPattern, probe)) {
        return Text();
    }
    return matcher.SubMatchText(1, 1);
}

Text DecodeBody(Text bodyText, const Bytes& bodyBytes, RegexMatcher& matcher) {
    const Text charsetName = DetectCharset(bodyText, matcher);
    if (charsetName.empty() || IsOwnCodePageName(charsetName)) {
        return bodyText;
    }
    const std::optional<std::u16string> decoded =
        DecodeCharset(bodyBytes.view(), charsetName.str());
    // An empty decoding of a body that has bytes means the converter gave up.
    if (!decoded || (decoded->empty() && !bodyBytes.empty())) {
        return bodyText;
    }
    return GbkFromUtf16(*decoded);
}

}  // namespace melvora
