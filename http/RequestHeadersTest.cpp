#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/RequestHeaders.h"

namespace melvora {
namespace {

using namespace literals;

const std::string kDefaultBlock =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";

const std::string kUserAgentLine =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const std::string kAcceptLine = "Accept: text/html, application/xhtml+xml, */*\r\n";
const std::string kRestOfDefaults =
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";

struct BlockCase {
    const char* name;
    std::string extraHeaders;
    std::string cookies;
    std::string expected;
};

class BuildRequestHeadersTest : public ::testing::TestWithParam<BlockCase> {};

TEST_P(BuildRequestHeadersTest, BuildsTheBlock) {
    const BlockCase& c = GetParam();
    EXPECT_EQ(BuildRequestHeaders(Text(c.extraHeaders), Text(c.cookies)).str(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuildRequestHeadersTest,
    ::testing::Values(
        BlockCase{"NothingGivenGivesTheSixDefaults", "", "", kDefaultBlock},
        BlockCase{"LowerCaseUserAgentIsKept", "user-agent: Mine", "",
                  "user-agent: Mine\r\n" + kAcceptLine + kRestOfDefaults},
        BlockCase{"LowerCaseContentTypeStillGetsTheDefault", "content-type: text/plain", "",
                  "content-type: text/plain\r\n" + kUserAgentLine + kAcceptLine + kRestOfDefaults},
        BlockCase{"ContentTypeWithoutBlankCounts", "Content-Type:text/plain", "",
                  "Content-Type:text/plain\r\n" + kUserAgentLine + kAcceptLine +
                      "Accept-Encoding: gbk, GB2312\r\nAccept-Language: zh-cn\r\n"
                      "Cache-Control: no-cache\r\n"},
        BlockCase{"AcceptFoundInsideXAccept", "X-Accept: y", "",
                  "X-Accept: y\r\n" + kUserAgentLine + kRestOfDefaults},
        BlockCase{"CookieTextBecomesTheLastLine", "", "a=1", kDefaultBlock + "Cookie: a=1\r\n"},
        BlockCase{"CallersCookieLineWins", "Cookie: z=9", "a=1",
                  "Cookie: z=9\r\n" + kUserAgentLine + kAcceptLine + kRestOfDefaults},
        BlockCase{"CrLfAddedEvenAfterAFinalCrLf", "A: 1\r\n", "", "A: 1\r\n\r\n" + kDefaultBlock},
        BlockCase{"DefaultsAddedEarlierCountInLaterSearches", "Accept-Language: de", "",
                  "Accept-Language: de\r\n" + kUserAgentLine + kAcceptLine +
                      "Accept-Encoding: gbk, GB2312\r\n"
                      "Content-Type: application/x-www-form-urlencoded\r\n"
                      "Cache-Control: no-cache\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct HeaderVariables {
    Text responseHeaders;
    Text statusText;
    Text returnedCookies;
    Text location = "unchanged";

    void Read(const std::string& headerText) {
        ReadResponseHeaders(Text(headerText), responseHeaders, statusText, returnedCookies,
                            location);
    }
};

TEST(ReadResponseHeadersTest, StatusTextIsCodeAndReasonPhrase) {
    HeaderVariables v;
    v.Read("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(v.statusText, Text("200 OK"));
    EXPECT_EQ(v.responseHeaders, Text("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
    EXPECT_EQ(v.location, Text("unchanged"));
}

TEST(ReadResponseHeadersTest, NoCrLfAfterTheTenthByteGivesEmptyStatus) {
    HeaderVariables v;
    v.statusText = "old";
    v.Read("HTTP/1.1 200 OK");
    EXPECT_EQ(v.statusText, Text());
}

struct CookieCase {
    const char* name;
    std::string headerText;
    std::string returnedCookies;
};

class ReplyCookiesTest : public ::testing::TestWithParam<CookieCase> {};

TEST_P(ReplyCookiesTest, CollectsTheCookies) {
    HeaderVariables v;
    v.Read(GetParam().headerText);
    EXPECT_EQ(v.returnedCookies.str(), GetParam().returnedCookies);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyCookiesTest,
    ::testing::Values(
        CookieCase{"FirstAttributeOnly", "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; Path=/\r\n\r\n",
                   "sid=abc"},
        CookieCase{"LowerCaseName", "HTTP/1.1 200 OK\r\nset-cookie: k=v\r\n\r\n", "k=v"},
        CookieCase{"BareName", "HTTP/1.1 200 OK\r\nSet-Cookie: flag\r\n\r\n", "flag"},
        CookieCase{"TwoLines", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n",
                   "a=1; b=2"},
        CookieCase{"NoCookie", "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", ""},
        CookieCase{"SetCookie2GivesAnEmptyItem",
                   "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie2: x=1; Path=/\r\n\r\n",
                   "a=1; "},
        CookieCase{"BlanksStrippedIncludingFullWidth",
                   "HTTP/1.1 200 OK\r\nSet-Cookie: \xA1\xA1  k=v  \r\n\r\n", "k=v"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadResponseHeadersTest, SetCookieSpellingIsNormalisedInTheReturnedHeaders) {
    HeaderVariables v;
    v.Read("HTTP/1.1 200 OK\r\nSET-COOKIE: a=1\r\nX-Set-cookie-Note: y\r\n\r\n");
    EXPECT_EQ(v.responseHeaders,
              Text("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX-Set-Cookie-Note: y\r\n\r\n"));
}

TEST(ReadResponseHeadersTest, CookiesAreAppendedAndTheLastTwoBytesAlwaysGo) {
    HeaderVariables v;
    v.returnedCookies = "x=1; ";
    v.Read("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n");
    EXPECT_EQ(v.returnedCookies, Text("x=1; a=1"));

    // Even a reply without cookies cuts two bytes from what the variable held.
    v.Read("HTTP/1.1 200 OK\r\n\r\n");
    EXPECT_EQ(v.returnedCookies, Text("x=1; a"));
}

TEST(ReadResponseHeadersTest, RedirectTargetFromLocationInAnyCase) {
    HeaderVariables v;
    v.Read("HTTP/1.1 302 Found\r\nlocation: /next\r\n\r\n");
    EXPECT_EQ(v.statusText, Text("302 Found"));
    EXPECT_EQ(v.location, Text("/next"));
}

TEST(ReadResponseHeadersTest, LaterLocationWinsAndOnlyLineStartsCount) {
    HeaderVariables v;
    v.Read(
        "HTTP/1.1 301 Moved\r\nLocation: /first\r\nX-Location: /no\r\nLOCATION: /second \r\n\r\n");
    EXPECT_EQ(v.location, Text("/second "));
}

TEST(ReadResponseHeadersTest, LocationNeedsTheBlankAfterTheColon) {
    HeaderVariables v;
    v.Read("HTTP/1.1 302 Found\r\nLocation:/tight\r\n\r\n");
    EXPECT_EQ(v.location, Text("unchanged"));
}

struct MergeCase {
    const char* name;
    std::string cookies;
    std::string returnedCookies;
    std::string mergedCookies;
    std::string strippedReturned;
};

class MergeCookiesTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, Merges) {
    const MergeCase& c = GetParam();
    Text cookies(c.cookies);
    Text returned(c.returnedCookies);
    const Text result = MergeCookies(cookies, returned);
    EXPECT_EQ(cookies.str(), c.mergedCookies);
    EXPECT_EQ(result, cookies);
    EXPECT_EQ(returned.str(), c.strippedReturned);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MergeCookiesTest,
    ::testing::Values(MergeCase{"ReplyWinsAndComesFirst", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1",
                                "b=3;c=4"},
                      MergeCase{"DeletedCookieGoes", "a=1; b=2", "a=deleted", "b=2", "a=deleted"},
                      MergeCase{"BlanksRemoved", "x = 1", "", "x=1", ""},
                      MergeCase{"RepeatedItemOnce", "", "a=1; a=1", "a=1", "a=1;a=1"},
                      MergeCase{"EmptyItemKept", "a=1;;b=2", "", "a=1; ; b=2", ""},
                      MergeCase{"FirstOfTwoCallerPiecesWins", "a=1;a=2", "", "a=1", ""},
                      MergeCase{"FullWidthBlanksRemoved",
                                "a=\xA1\xA1"
                                "1",
                                "", "a=1", ""},
                      MergeCase{"BothEmpty", "", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CookieNameTest, PartBeforeTheFirstEqualsWithoutBlanks) {
    EXPECT_EQ(CookieName(" sid =a=b"), Text("sid"));
    EXPECT_EQ(CookieName("flag"), Text("flag"));
    EXPECT_EQ(CookieName("\xA1\xA1name\xA1\xA1=v"), Text("name"));
    EXPECT_EQ(CookieName("=v"), Text());
}

TEST(HasCookieNamedTest, ComparesNamesExactly) {
    const std::vector<Text> items{"a=1", "Sid=2", "flag"};
    EXPECT_TRUE(HasCookieNamed(items, "Sid"));
    EXPECT_TRUE(HasCookieNamed(items, "flag"));
    EXPECT_FALSE(HasCookieNamed(items, "sid"));
    EXPECT_FALSE(HasCookieNamed({}, "a"));
}

TEST(RemoveDuplicateItemsTest, KeepsFirstOccurrences) {
    EXPECT_EQ(RemoveDuplicateItems("a; b; a; c; b", "; "), Text("a; b; c"));
    EXPECT_EQ(RemoveDuplicateItems("", "; "), Text());
    EXPECT_EQ(RemoveDuplicateItems("x|y|x|", "|"), Text("x|y"));
    EXPECT_EQ(RemoveDuplicateItems("A,a", ","), Text("A,a"));
}

TEST(IndexOfItemTest, OneBasedOrMinusOne) {
    const std::vector<Text> items{"a", "b", "a"};
    EXPECT_EQ(IndexOfItem(items, "a"), 1);
    EXPECT_EQ(IndexOfItem(items, "b"), 2);
    EXPECT_EQ(IndexOfItem(items, "B"), -1);
    EXPECT_EQ(IndexOfItem({}, "a"), -1);
}

}  // namespace
}  // namespace melvora
