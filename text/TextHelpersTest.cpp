#include <gtest/gtest.h>

#include "text/CodePage.h"
#include "text/TextHelpers.h"

namespace melvora {
namespace {

using namespace literals;

const Text kQuote = "\"";
const Text kPlayUrlMarker = "play_url\":\"";

TEST(TextBetween, CutsThePlayAddressOutOfAReply) {
    const Text reply = R"({"data":{"hash":"AB","play_url":"http:\/\/h\/a.mp3","x":"y"}})";
    EXPECT_EQ(TextBetween(reply, kPlayUrlMarker, kQuote), Text(R"(http:\/\/h\/a.mp3)"));
}

TEST(TextBetween, EmptyWhenAMarkerIsMissing) {
    EXPECT_EQ(TextBetween(R"({"url":"x"})", kPlayUrlMarker, kQuote), Text());
    EXPECT_EQ(TextBetween(R"({"play_url":"never closed)", kPlayUrlMarker, kQuote), Text());
    EXPECT_EQ(TextBetween(R"(play_url":")", kPlayUrlMarker, kQuote), Text());
}

TEST(TextBetween, OnlyTheFirstLeftMarkerCounts) {
    EXPECT_EQ(TextBetween(R"(play_url":""play_url":"X")", kPlayUrlMarker, kQuote), Text());
    EXPECT_EQ(TextBetween("[a][b]", "[", "]"), Text("a"));
}

TEST(TextBetween, StartPositionFindsALaterLeftMarker) {
    EXPECT_EQ(TextBetween("[a][b]", "[", "]", 2), Text("b"));
    EXPECT_EQ(TextBetween("[a][b]", "[", "]", 4), Text("b"));
    EXPECT_EQ(TextBetween("[a][b]", "[", "]", 5), Text());
}

TEST(TextBetween, EmptyLeftMarkerTakesTheBeginning) {
    EXPECT_EQ(TextBetween("name=value;rest", "", ";"), Text("name=value"));
    EXPECT_EQ(TextBetween("", "", ";"), Text());
}

TEST(TextBetween, AdjacentMarkersGiveEmptyText) {
    EXPECT_EQ(TextBetween(R"(play_url":"")", kPlayUrlMarker, kQuote), Text());
}

TEST(TextBetween, NeverMatchesOnTheSecondByteOfAChineseCharacter) {
    // 中 is D6 D0; a left marker of D0 must not be found inside it.
    const Text text = "中x]"_gbk;
    EXPECT_EQ(TextBetween(text, Text("\xD0"), "]"), Text());
    EXPECT_EQ(TextBetween(text, "中"_gbk, "]"), Text("x"));
}

TEST(TextBetween, QuotePlaceholderInMarkers) {
    const Text reply = R"({"play_url":"X"})";
    EXPECT_EQ(TextBetween(reply, "play_url#引号:#引号"_gbk, "#引号"_gbk), Text("X"));
}

TEST(TextBetween, IgnoreCaseOption) {
    EXPECT_EQ(TextBetween("Set-Cookie: a=1; Path=/", "set-cookie:", ";", 0, LetterCase::Ignore),
              Text(" a=1"));
    EXPECT_EQ(TextBetween("Set-Cookie: a=1; Path=/", "set-cookie:", ";"), Text());
}

struct ReplaceCase {
    const char* name;
    Text text;
    Text find;
    Text replacement;
    MultiReplaceOptions options;
    Text expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* out) {
    *out << c.name;
}

class MultiReplaceCases : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(MultiReplaceCases, ReplacesAsTold) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(MultiReplace(c.text, {{c.find, c.replacement}}, c.options), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MultiReplaceCases,
    ::testing::Values(
        ReplaceCase{"escaped slashes", R"(a\/b\u4e2d\\)", "\\", "", {}, R"(a/bu4e2d)"},
        ReplaceCase{"ignores case by default", "aXbxc", "x", "-", {}, "a-b-c"},
        ReplaceCase{
            "case sensitive", "aXbxc", "x", "-", {.letterCase = LetterCase::Exact}, "aXb-c"},
        ReplaceCase{"count limits", "xxxx", "x", "y", {.count = 2}, "yyxx"},
        ReplaceCase{"count zero", "xxxx", "x", "y", {.count = 0}, "xxxx"},
        ReplaceCase{
            "start position keeps earlier bytes", "xxxx", "x", "y", {.startPos = 3}, "xxyy"},
        ReplaceCase{"start beyond end", "xx", "x", "y", {.startPos = 3}, "xx"},
        ReplaceCase{"empty find", "xx", "", "y", {}, "xx"},
        ReplaceCase{"replacement not rescanned", "aa", "a", "aa", {}, "aaaa"},
        ReplaceCase{"no overlapping matches", "aaa", "aa", "b", {}, "ba"},
        ReplaceCase{"never on a trail byte", "中文"_gbk, Text("\xD0\xCE"), "!", {}, "中文"_gbk},
        ReplaceCase{"Chinese find", "歌名歌名"_gbk, "名"_gbk, "", {}, "歌歌"_gbk}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST(MultiReplace, PairsApplyOneAfterTheOther) {
    EXPECT_EQ(MultiReplace("abc", {{"a", "b"}, {"b", "c"}, {"c", "d"}}), Text("ddd"));
}

TEST(StripEmTags, RemovesTagsInAnyCase) {
    EXPECT_EQ(StripEmTags(R"(A<em>B<\/em>C)"), Text("ABC"));
    EXPECT_EQ(StripEmTags(R"(A<EM>B<\/EM>C)"), Text("ABC"));
    EXPECT_EQ(StripEmTags(R"(<em>周杰伦<\/em>)"_gbk), "周杰伦"_gbk);
}

TEST(StripEmTags, KeepsAClosingTagWithoutItsBackslash) {
    EXPECT_EQ(StripEmTags("A<em>B</em>C"), Text("AB</em>C"));
}

TEST(Utf8ToGbk, ConvertsChineseAsciiAndCharactersOutsideGbk) {
    EXPECT_EQ(Utf8ToGbk(Text("晴天")), "晴天"_gbk);
    EXPECT_EQ(Utf8ToGbk(Text("plain ascii {\"a\":1}")), Text("plain ascii {\"a\":1}"));
    EXPECT_EQ(Utf8ToGbk(Text("a\xE0\xB8\x81"
                             "b")),
              Text("a?b"));
    EXPECT_EQ(Utf8ToGbk(Text()), Text());
}

TEST(WideForm, EndsWithOneNulUnitInLittleEndian) {
    EXPECT_EQ(DecodeToWide(Text("A中")).str(), std::string("A\0\x2D\x4E\0\0", 6));
    EXPECT_EQ(DecodeToWide(Text()).str(), std::string("\0\0", 2));
    EXPECT_EQ(DecodeToWide("中"_gbk, kCodePageGbk).str(), std::string("\x2D\x4E\0\0", 4));
}

TEST(WideForm, EncodeStopsAtTheFirstNulUnit) {
    const Bytes wide(std::string("a\0b\0\0\0c\0", 8));
    EXPECT_EQ(EncodeFromWide(wide), Text("ab"));
    EXPECT_EQ(EncodeFromWide(DecodeToWide(Text("中"))), "中"_gbk);
}

}  // namespace
}  // namespace melvora
