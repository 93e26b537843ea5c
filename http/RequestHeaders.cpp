#include "http/RequestHeaders.h"

#include <array>
#include <string_view>

#include "http/TextPieces.h"
#include "text/TextHelpers.h"
#include "text/TextSearch.h"

namespace melvora {

namespace {

struct DefaultLine {
    std::string_view lookedFor;
    LetterCase letterCase;
    std::string_view line;
};

constexpr std::array<DefaultLine, 6> kDefaultLines{{
    {"User-Agent: ", LetterCase::Ignore,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", LetterCase::Ignore, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", LetterCase::Ignore, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", LetterCase::Ignore, "Accept-Language: zh-cn\r\n"},
    // Exact case and no blank after the colon, unlike every other row.
    {"Content-Type:", LetterCase::Exact, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", LetterCase::Ignore, "Cache-Control: no-cache\r\n"},
}};

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kDeletedSuffix = "=deleted";

Text DropLastBytes(const Text& text, std::size_t count) {
    return text.size() <= count ? Text() : text.Slice(0, text.size() - count);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (FoldAsciiCase(text[i]) != FoldAsciiCase(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

Text BuildRequestHeaders(const Text& extraHeaders, const Text& cookies) {
    Text block = extraHeaders.empty() ? Text() : extraHeaders + Text(kCrLf);
    for (const DefaultLine& row : kDefaultLines) {
        if (!ContainsText(block, row.lookedFor, row.letterCase)) {
            block += Text(row.line);
        }
    }
    if (!ContainsText(block, "Cookie: ", LetterCase::Ignore) && !cookies.empty()) {
        block += Text("Cookie: ") + cookies + Text(kCrLf);
    }
    return block;
}

void ReadResponseHeaders(const Text& headerText, Text& responseHeaders, Text& statusText,
                         Text& returnedCookies, Text& location) {
    responseHeaders = headerText;

    // The status line is "HTTP/1.1 " (nine bytes) followed by the code and the reason phrase.
    constexpr int32_t kStatusStart = 10;
    const int32_t statusEnd = FindText(headerText, kCrLf, kStatusStart, LetterCase::Exact);
    statusText = statusEnd == -1
                     ? Text()
                     : headerText.Slice(kStatusStart - 1,
                                        static_cast<std::size_t>(statusEnd - kStatusStart));

    responseHeaders = MultiReplace(responseHeaders, {{"Set-Cookie", "Set-Cookie"}},
                                   {.letterCase = LetterCase::Ignore});

    constexpr std::string_view kLocationPrefix = "Location: ";
    for (const Text& line : SplitText(responseHeaders, kCrLf)) {
        if (ContainsText(line, "Set-Cookie")) {
            const Text value =
                ContainsText(line, ";")
                    ? TextBetween(line, "Set-Cookie:", ";")
                    : MultiReplace(line, {{"Set-Cookie:", ""}}, {.letterCase = LetterCase::Ignore});
            returnedCookies += StripBlanks(value) + Text("; ");
        }
        if (StartsWithIgnoringCase(line.view(), kLocationPrefix)) {
            location = line.Slice(kLocationPrefix.size());
        }
    }
    returnedCookies = DropLastBytes(returnedCookies, 2);
}

Text MergeCookies(Text& cookies, Text& returnedCookies) {
    cookies = RemoveBlanks(cookies);
    returnedCookies = RemoveBlanks(returnedCookies);

    std::vector<Text> merged = SplitText(returnedCookies, ";");
    for (const Text& piece : SplitText(cookies, ";")) {
        if (!HasCookieNamed(merged, CookieName(piece))) {
            merged.push_back(piece);
        }
    }

    Text joined;
    for (const Text& item : merged) {
        if (!item.view().ends_with(kDeletedSuffix)) {
            joined += item + Text("; ");
        }
    }
    cookies = RemoveDuplicateItems(DropLastBytes(joined, 2), "; ");
    return cookies;
}

Text CookieName(const Text& item) {
    const int32_t equals = FindText(item, "=");
    return StripBlanks(equals == -1 ? item : item.Slice(0, static_cast<std::size_t>(equals - 1)));
}

bool HasCookieNamed(const std::vector<Text>& items, const Text& name) {
    for (const Text& item : items) {
        if (CookieName(item) == name) {
            return true;
        }
    }
    return false;
}

Text RemoveDuplicateItems(const Text& text, const Text& separator) {
    std::vector<Text> kept;
    for (const Text& piece : SplitText(text, separator.view())) {
        if (IndexOfItem(kept, piece) == -1) {
            kept.push_back(piece);
        }
    }
    Text joined;
    for (const Text& piece : kept) {
        joined += piece + separator;
    }
    return DropLastBytes(joined, separator.size());
}

int32_t IndexOfItem(const std::vector<Text>& items, const Text& item) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == item) {
            return static_cast<int32_t>(i) + 1;
        }
    }
    return -1;
}

}  // namespace melvora
