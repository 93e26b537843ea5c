#include <gtest/gtest.h>

#include "text/CodePage.h"

namespace melvora {
namespace {

using namespace literals;

// GBK bytes of 周杰伦 and 歌 as code page 936 writes them.
const std::string kZhouJieLunGbk = "\xD6\xDC\xBD\xDC\xC2\xD7";

TEST(CodePage, GbkLiteralHoldsCodePage936Bytes) {
    EXPECT_EQ("周杰伦"_gbk.str(), kZhouJieLunGbk);
    EXPECT_EQ("歌曲数量："_gbk.str(), "\xB8\xE8\xC7\xFA\xCA\xFD\xC1\xBF\xA3\xBA");
}

TEST(CodePage, RoundTripsThroughUtf16AndUtf8) {
    const Text title = "晴天 Sunny 2003"_gbk;
    EXPECT_EQ(GbkFromUtf16(Utf16FromGbk(title)), title);
    EXPECT_EQ(Utf8FromGbk(title), "晴天 Sunny 2003");
    EXPECT_EQ(GbkFromUtf8("晴天 Sunny 2003"), title);
    EXPECT_EQ(Utf16FromGbk(title), u"晴天 Sunny 2003");
}

TEST(CodePage, EuroSignIsTheMicrosoftTablesSingleByte) {
    // Microsoft's 936 maps 0x80 to the euro sign; GB18030 and strict EUC-CN do not.
    EXPECT_EQ(GbkFromUtf8("€").str(), "\x80");
}

TEST(CodePage, CharacterOutsideGbkBecomesOneQuestionMark) {
    EXPECT_EQ(GbkFromUtf8("a😀b").str(), "a?b");  // astral: one '?' for the surrogate pair
    EXPECT_EQ(GbkFromUtf8("x\xE0\xB8\x81y").str(), "x?y");  // Thai letter
}

TEST(CodePage, InvalidUtf8ComesOutAsQuestionMark) {
    EXPECT_EQ(Utf16FromUtf8("a\xFF"
                            "b"),
              u"a\uFFFDb");
    EXPECT_EQ(GbkFromUtf8("a\xFF"
                          "b")
                  .str(),
              "a?b");
}

TEST(CodePage, TextEndsAtFirstNul) {
    const Text text(std::string_view("ab\0cd", 5));
    EXPECT_EQ(text.str(), "ab");
    EXPECT_EQ(Text(std::string("x\0y", 3)).size(), 1U);
}

TEST(CodePage, DecodeCharsetByName) {
    EXPECT_EQ(DecodeCharset("\xC4\xE3\xBA\xC3", "gb2312"), std::u16string(u"你好"));
    EXPECT_EQ(DecodeCharset("caf\xC3\xA9", "UTF-8"), std::u16string(u"café"));
    EXPECT_EQ(DecodeCharset("caf\xE9", "iso-8859-1"), std::u16string(u"café"));
    EXPECT_EQ(DecodeCharset("abc", "no-such-charset"), std::nullopt);
    EXPECT_EQ(DecodeCharset("abc", ""), std::nullopt);
}

TEST(CodePage, ConverterNamesForCodePages) {
    EXPECT_EQ(ConverterNameForCodePage(936), "windows-936-2000");
    EXPECT_EQ(ConverterNameForCodePage(65001), "UTF-8");
    EXPECT_EQ(ConverterNameForCodePage(1252), "windows-1252");
    EXPECT_EQ(ConverterNameForCodePage(-3), "");
}

}  // namespace
}  // namespace melvora
