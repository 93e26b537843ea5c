#include <gtest/gtest.h>

#include <string>

#include "http/ResponseDecoding.h"

namespace melvora {
namespace {

using namespace literals;

// "周杰伦" in UTF-8, and the GBK text it must come back as.
const std::string kUtf8Name = "\xE5\x91\xA8\xE6\x9D\xB0\xE4\xBC\xA6";

Text Decode(const std::string& bytes) {
    RegexMatcher matcher;
    return DecodeBody(Text(bytes), Bytes(bytes), matcher);
}

Text Detect(const std::string& bytes) {
    RegexMatcher matcher;
    return DetectCharset(Text(bytes), matcher);
}

TEST(DetectCharsetTest, NameAsWrittenInThePage) {
    EXPECT_EQ(
        Detect(R"(<html><meta http-equiv="Content-Type" content="text/html; charset=utf-8">)"),
        Text("utf-8"));
    EXPECT_EQ(Detect(R"(<META CONTENT="text/html; CHARSET=UTF-8">)"), Text("UTF-8"));
    EXPECT_EQ(Detect(R"(<meta charset="x_custom-1">)"), Text("x_custom-1"));
    EXPECT_EQ(Detect(R"({"status":1,"charset":"utf-8"})"), Text());
    EXPECT_EQ(Detect("<meta\ncharset=utf-8>"), Text());
}

TEST(DecodeBodyTest, DeclaredUtf8IsRedecoded) {
    const std::string page = "<meta charset=\"utf-8\"><p>" + kUtf8Name + "</p>";
    EXPECT_EQ(Decode(page), Text("<meta charset=\"utf-8\"><p>") + "周杰伦"_gbk + Text("</p>"));
}

TEST(DecodeBodyTest, UpperCaseDeclarationIsFoundAndPassedAsWritten) {
    const std::string page = "<META CHARSET=UTF-8>" + kUtf8Name;
    EXPECT_EQ(Decode(page), Text("<META CHARSET=UTF-8>") + "周杰伦"_gbk);
}

TEST(DecodeBodyTest, OwnNamesInLowerCaseLeaveTheBodyAlone) {
    // 81 followed by a space is no GBK character: a decoder would have replaced it.
    for (const std::string name : {"gbk", "gb2312"}) {
        const std::string page = "<meta charset=" + name + ">\x81 " + kUtf8Name;
        EXPECT_EQ(Decode(page), Text(page)) << name;
    }
}

TEST(DecodeBodyTest, UpperCaseGbkGoesThroughTheDecoder) {
    // 81 starts a two-byte character but the space cannot end one: only a decoder notices.
    const std::string page = "<meta charset=GBK>\x81 ab";
    const Text decoded = Decode(page);
    EXPECT_NE(decoded, Text(page));
    EXPECT_EQ(decoded.view().substr(0, 18), "<meta charset=GBK>");
    EXPECT_TRUE(decoded.view().ends_with("ab"));
}

TEST(DecodeBodyTest, UnknownCharsetLeavesTheBodyAlone) {
    const std::string page = "<meta charset=no-such-charset-at-all>" + kUtf8Name;
    EXPECT_EQ(Decode(page), Text(page));
}

TEST(DecodeBodyTest, BodyWithoutMetaTagIsUnchanged) {
    const std::string json = R"({"data":{"lists":[]},"charset":"utf-8"})" + kUtf8Name;
    EXPECT_EQ(Decode(json), Text(json));
}

TEST(DecodeBodyTest, LineBreakInsideTheTagHidesTheCharset) {
    const std::string page = "<meta\r\ncharset=utf-8>" + kUtf8Name;
    EXPECT_EQ(Decode(page), Text(page));
}

// The probe is the first 1024 bytes: a tag that ends on the last of them is read whole; one
// byte later its name is cut to "utf-", which no converter knows.
class ProbeLimitTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ProbeLimitTest, OnlyTheFirst1024BytesAreSearched) {
    const std::string tag = "<meta charset=utf-8";
    const std::size_t padding = GetParam();
    const std::string page = std::string(padding, ' ') + tag + ">" + kUtf8Name;
    const bool inside = padding + tag.size() <= 1024;
    const Text expected =
        inside ? Text(std::string(padding, ' ') + tag + ">") + "周杰伦"_gbk : Text(page);
    EXPECT_EQ(Decode(page), expected);
}

INSTANTIATE_TEST_SUITE_P(Padding, ProbeLimitTest,
                         ::testing::Values(0, 1024 - 19, 1024 - 18, 1024 - 5, 1024, 4096));

TEST(DecodeBodyTest, NulEndsTheDecodedText) {
    const std::string page = "<meta charset=utf-8>" + kUtf8Name + std::string(1, '\0') + "tail";
    RegexMatcher matcher;
    EXPECT_EQ(DecodeBody(Text(page), Bytes(page), matcher),
              Text("<meta charset=utf-8>") + "周杰伦"_gbk);

    // Without a declaration the text simply stops before the NUL.
    const std::string plain = std::string("abc") + '\0' + "def";
    EXPECT_EQ(DecodeBody(Text(plain), Bytes(plain), matcher), Text("abc"));
}

TEST(DecodeBodyTest, DeclarationAfterANulIsNotSeen) {
    const std::string page = std::string("x") + '\0' + "<meta charset=utf-8>" + kUtf8Name;
    EXPECT_EQ(Decode(page), Text("x"));
}

}  // namespace
}  // namespace melvora
