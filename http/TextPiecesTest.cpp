#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/TextPieces.h"

namespace melvora {
namespace {

std::vector<std::string> Pieces(const std::string& text, std::string_view separator) {
    std::vector<std::string> pieces;
    for (const Text& piece : SplitText(Text(text), separator)) {
        pieces.push_back(piece.str());
    }
    return pieces;
}

using Strings = std::vector<std::string>;

TEST(SplitTextTest, FollowsTheSplittingRules) {
    EXPECT_EQ(Pieces("a;b", ";"), (Strings{"a", "b"}));
    EXPECT_EQ(Pieces("a;;b", ";"), (Strings{"a", "", "b"}));
    EXPECT_EQ(Pieces(";a", ";"), (Strings{"", "a"}));
    EXPECT_EQ(Pieces("a;", ";"), (Strings{"a"}));
    EXPECT_EQ(Pieces("a;;", ";"), (Strings{"a", ""}));
    EXPECT_EQ(Pieces("", ";"), Strings{});
    EXPECT_EQ(Pieces(";", ";"), (Strings{""}));
    EXPECT_EQ(Pieces("no separator", ";"), (Strings{"no separator"}));
    EXPECT_EQ(Pieces("a\r\nb\r\n\r\n", "\r\n"), (Strings{"a", "b", ""}));
}

TEST(SplitTextTest, NeverSplitsInsideATwoByteCharacter) {
    // B0 40 is one GBK character whose second byte is "@".
    EXPECT_EQ(Pieces("\xB0@x@y", "@"), (Strings{"\xB0@x", "y"}));
}

TEST(SplitTextTest, SeparatorCaseMatters) {
    EXPECT_EQ(Pieces("aXbxc", "x"), (Strings{"aXb", "c"}));
}

TEST(BlanksTest, StripsAsciiAndFullWidthSpacesButNotTabs) {
    EXPECT_EQ(StripBlanks(Text("  a b  ")), Text("a b"));
    EXPECT_EQ(StripBlanks(Text("\xA1\xA1"
                               "a\xA1\xA1")),
              Text("a"));
    EXPECT_EQ(StripBlanks(Text("\ta\t")), Text("\ta\t"));
    EXPECT_EQ(StripBlanks(Text(" \xA1\xA1 ")), Text());
    // B0 A1 is a character that merely ends in A1; the A1 A1 after it is a blank.
    EXPECT_EQ(StripBlanks(Text("\xB0\xA1\xA1\xA1")), Text("\xB0\xA1"));
}

TEST(BlanksTest, RemovesEveryBlank) {
    EXPECT_EQ(RemoveBlanks(Text(" a = 1 ;\xA1\xA1"
                                "b")),
              Text("a=1;b"));
    EXPECT_EQ(RemoveBlanks(Text("\xB0\xA1\xA1\xA1\xA1")), Text("\xB0\xA1\xA1"));
}

}  // namespace
}  // namespace melvora
