#include <gtest/gtest.h>

#include <string>

#include "http/WideText.h"

namespace melvora {
namespace {

using namespace literals;

Bytes Units(std::u16string_view units) {
    std::string bytes;
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return Bytes(std::move(bytes));
}

TEST(TextToUtf16Test, LittleEndianUnitsWithTerminator) {
    EXPECT_EQ(TextToUtf16("A"_gbk + "周"_gbk), Units(std::u16string_view(u"A\u5468\0", 3)));
    EXPECT_EQ(TextToUtf16("A"_gbk + "周"_gbk, true), Units(u"A\u5468"));
}

TEST(TextToUtf16Test, EmptyTextHasNoUnits) {
    EXPECT_TRUE(TextToUtf16(Text()).empty());
    EXPECT_TRUE(TextToUtf16(Text(), true).empty());
}

TEST(Utf16ToTextTest, ConvertsToGbk) {
    EXPECT_EQ(Utf16ToText(Units(u"x\u5468\u6770\u4F26")), Text("x") + "周杰伦"_gbk);
}

TEST(Utf16ToTextTest, StopsAtTheFirstNulUnit) {
    EXPECT_EQ(Utf16ToText(Units(std::u16string_view(u"ab\0cd", 5))), Text("ab"));
}

TEST(Utf16ToTextTest, IgnoresAnOddLastByte) {
    Bytes units = Units(u"ab");
    units.Append("c");
    EXPECT_EQ(Utf16ToText(units), Text("ab"));
}

TEST(Utf16ToTextTest, FoldsCombiningSequencesIntoPrecomposedCharacters) {
    // GBK has e-acute (A8 A6) but no combining accent.
    EXPECT_EQ(Utf16ToText(Units(u"e\u0301")), Text("\xA8\xA6"));
}

TEST(Utf16ToTextTest, RoundTripsWithTextToUtf16) {
    const Text text = "歌曲数量：12"_gbk;
    EXPECT_EQ(Utf16ToText(TextToUtf16(text)), text);
}

}  // namespace
}  // namespace melvora
