#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/RequestHeaders.h"
#include "http/WireHeaderLines.h"

namespace melvora {
namespace {

using Lines = std::vector<std::string>;

TEST(WireHeaderLinesTest, DefaultBlockGoesOutLineByLineAndSuppressesCurlsExtras) {
    const std::optional<Lines> lines = WireHeaderLines(BuildRequestHeaders("", ""));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(
        *lines,
        (Lines{"User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
               "Trident/5.0)",
               "Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
               "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded",
               "Cache-Control: no-cache", "Expect:", "Proxy-Connection:"}));
}

TEST(WireHeaderLinesTest, AcceptHiddenInAnotherLineStillSuppressesCurlsAccept) {
    const std::optional<Lines> lines = WireHeaderLines(Text("X-Accept: y\r\n"));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines,
              (Lines{"X-Accept: y", "Accept:", "Expect:", "Content-Type:", "Proxy-Connection:"}));
}

TEST(WireHeaderLinesTest, EmptyValueIsSentAsAnEmptyHeaderAndEmptyLinesAreSkipped) {
    const std::optional<Lines> lines =
        WireHeaderLines(Text("X-Empty:\r\n\r\nX-Blank:  \r\nAccept: a\r\nexpect: b\r\n"
                             "CONTENT-TYPE: c\r\nProxy-Connection: d\r\n"));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (Lines{"X-Empty;", "X-Blank;", "Accept: a", "expect: b", "CONTENT-TYPE: c",
                             "Proxy-Connection: d"}));
}

class MalformedLineTest : public ::testing::TestWithParam<std::string> {};

TEST_P(MalformedLineTest, RefusesTheBlock) {
    EXPECT_FALSE(WireHeaderLines(Text(GetParam() + "\r\nAccept: a\r\n")).has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, MalformedLineTest,
                         ::testing::Values("NoColonHere", "Two Words: x", " Leading: x",
                                           ": no name", "Name\t: x", "Ok: a\rb",
                                           "Ok: a\nInjected: b", "\xD6\xDC: gbk name"));

}  // namespace
}  // namespace melvora
