#include <gtest/gtest.h>

#include <string>

#include "http/UrlParts.h"

namespace melvora {
namespace {

using namespace literals;

struct CrackCase {
    const char* name;
    std::string url;
    bool secure;
    std::string host;
    int32_t port;
    std::string objectName;
    std::string requestUrl;
};

class CrackUrlTest : public ::testing::TestWithParam<CrackCase> {};

TEST_P(CrackUrlTest, Cracks) {
    const CrackCase& c = GetParam();
    const std::optional<UrlParts> parts = CrackUrl(Text(c.url));
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->secure, c.secure);
    EXPECT_EQ(parts->host.str(), c.host);
    EXPECT_EQ(parts->port, c.port);
    EXPECT_EQ(parts->objectName, c.objectName);
    EXPECT_EQ(parts->requestUrl, c.requestUrl);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CrackUrlTest,
    ::testing::Values(CrackCase{"PathAndQuery", "http://h.example/a?b=1", false, "h.example", 80,
                                "/a?b=1", "http://h.example/a?b=1"},
                      CrackCase{"NoPath", "http://h.example", false, "h.example", 80, "/",
                                "http://h.example/"},
                      CrackCase{"QueryWithoutPathIsDropped", "http://h.example?x=1", false,
                                "h.example", 80, "/", "http://h.example/"},
                      CrackCase{"SecureWithPortAndFragment", "HTTPS://h.example:8443/p?q#frag",
                                true, "h.example", 8443, "/p?q#frag", "HTTPS://h.example:8443/p?q"},
                      CrackCase{"BlankEscaped", "http://h/s?&keyword= ", false, "h", 80,
                                "/s?&keyword=%20", "http://h/s?&keyword=%20"},
                      CrackCase{"ExistingEscapesKept", "http://h/a%2Fb?x=%41&y=1", false, "h", 80,
                                "/a%2Fb?x=%41&y=1", "http://h/a%2Fb?x=%41&y=1"},
                      CrackCase{"ControlAndDeleteEscaped", "http://h/a\x01\x7F", false, "h", 80,
                                "/a%01%7F", "http://h/a%01%7F"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CrackUrlTest, ChineseGoesOutAsEscapedUtf8) {
    const std::optional<UrlParts> parts =
        CrackUrl(Text("http://h/song_search_v2?&keyword=") + "周杰伦"_gbk);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->objectName, "/song_search_v2?&keyword=%E5%91%A8%E6%9D%B0%E4%BC%A6");
}

class RejectedUrlTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RejectedUrlTest, DoesNotCrack) {
    EXPECT_FALSE(CrackUrl(Text(GetParam())).has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, RejectedUrlTest,
                         ::testing::Values("", "ftp://h.example/file", "h.example/path",
                                           "/relative/path", "http://", "mailto:someone@h.example",
                                           "http://h.example:99999/", "http://h e/"));

TEST(CrackWireUrlTest, TakesRedirectTargetsWithoutRecoding) {
    // Already UTF-8 on the wire: escaped byte for byte, not converted from GBK again.
    const std::optional<UrlParts> parts = CrackWireUrl("http://h/\xE5\x91\xA8?a=%20");
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->objectName, "/%E5%91%A8?a=%20");
}

TEST(EscapeForWireTest, EscapesExactlyTheUnsafeBytes) {
    EXPECT_EQ(EscapeForWire("a b"), "a%20b");
    EXPECT_EQ(EscapeForWire("\x80\xFF\x7F\x20\x21\x7E"), "%80%FF%7F%20!~");
    EXPECT_EQ(EscapeForWire("?&=%#/"), "?&=%#/");
    EXPECT_EQ(EscapeForWire(EscapeForWire("\xE5 x")), "%E5%20x");
    EXPECT_EQ(EscapeForWire(std::string_view("\0a", 2)), "%00a");
}

}  // namespace
}  // namespace melvora
