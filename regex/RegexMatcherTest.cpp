#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "regex/RegexMatcher.h"
#include "text/CodePage.h"

namespace melvora {
namespace {

using namespace literals;

// The song search's field patterns and the HTTP client's charset pattern, as the program uses them.
const Text kSongNamePattern = R"re(SongName":"(.*?)")re";
const Text kFileHashPattern = R"re("FileHash":"(.*?)")re";
const Text kIdPattern = R"re("ID":"(.*?)")re";
const Text kSingerPattern = R"re(SingerName":"(.*?)")re";
const Text kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";

// A cut-down search reply: highlight tags, Chinese values, a lower-case record, a longer key that
// ends in SongName, an escaped quote inside a value and an ID-like key that is not ID.
Text ReplySubject() {
    return GbkFromUtf8(
        R"({"data":{"lists":[)"
        R"({"SongName":"<em>晴天<\/em>","SingerName":"周杰伦","FileHash":"A1B2C3","ID":"101",)"
        R"("OriSongName":"晴天","AlbumID":"900"},)"
        "\n"
        R"({"songname":"七里香","singername":"<EM>周</EM>杰伦","filehash":"d4e5f6","id":"102"},)"
        "\n"
        R"({"SongName":"Say \"Hi\" 再见","SingerName":"Tom","FileHash":"0F0F","ID":"103"}]}})");
}

std::vector<Text> Group1Texts(const RegexMatcher& matcher) {
    std::vector<Text> texts;
    for (int32_t n = 1; n <= matcher.MatchCount(); ++n) {
        texts.push_back(matcher.SubMatchText(n, 1));
    }
    return texts;
}

std::vector<Text> MatchTexts(const RegexMatcher& matcher) {
    std::vector<Text> texts;
    for (int32_t n = 1; n <= matcher.MatchCount(); ++n) {
        texts.push_back(matcher.MatchText(n));
    }
    return texts;
}

std::vector<Text> Gbk(const std::vector<std::string>& utf8) {
    std::vector<Text> texts;
    for (const auto& item : utf8) {
        texts.push_back(GbkFromUtf8(item));
    }
    return texts;
}

// Names the case in test output instead of dumping its bytes.
template <typename Case>
requires requires(const Case& c) {
    c.name;
}
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

struct FieldCase {
    const char* name;
    Text pattern;
    std::vector<std::string> expectedUtf8;
};

class FieldPatterns : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldPatterns, CollectGroupOneOfEveryHitInOrder) {
    const FieldCase& c = GetParam();
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(c.pattern, ReplySubject()));
    EXPECT_EQ(Group1Texts(matcher), Gbk(c.expectedUtf8));
    EXPECT_EQ(matcher.SubMatchCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Reply, FieldPatterns,
    ::testing::Values(
        // Caseless keys, the longer key OriSongName, and the lazy group ending at the first
        // quote, which is the escaped one: the text keeps its backslash.
        FieldCase{
            "SongName", kSongNamePattern, {R"(<em>晴天<\/em>)", "晴天", "七里香", R"(Say \)"}},
        FieldCase{"SingerName", kSingerPattern, {"周杰伦", "<EM>周</EM>杰伦", "Tom"}},
        FieldCase{"FileHash", kFileHashPattern, {"A1B2C3", "d4e5f6", "0F0F"}},
        // The quote in front of the key keeps AlbumID out.
        FieldCase{"ID", kIdPattern, {"101", "102", "103"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegexMatcher, MatchTextIsTheWholeMatchAsTheSubjectWritesIt) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(kIdPattern, ReplySubject()));
    EXPECT_EQ(MatchTexts(matcher),
              (std::vector<Text>{R"("ID":"101")", R"("id":"102")", R"("ID":"103")"}));
}

struct CharsetCase {
    const char* name;
    std::string pageUtf8;
    std::string expectedName;
};

class CharsetPattern : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(CharsetPattern, FindsTheDeclaredName) {
    const CharsetCase& c = GetParam();
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(kCharsetPattern, GbkFromUtf8(c.pageUtf8)));
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text(c.expectedName));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CharsetPattern,
    ::testing::Values(
        CharsetCase{"HttpEquiv",
                    R"(<html><head><meta http-equiv="Content-Type" content="text/html; )"
                    R"(charset=utf-8"></head>)",
                    "utf-8"},
        CharsetCase{"UpperCaseKeptAsWritten",
                    R"(<META HTTP-EQUIV="content-type" CONTENT="text/html; CHARSET=UTF-8">)",
                    "UTF-8"},
        CharsetCase{"QuoteBeforeName", R"(<meta charset="gb2312">)", "gb2312"},
        CharsetCase{"LineFeedBetweenMetaAndCharset", "<meta\ncharset=utf-8>", ""},
        CharsetCase{"CrLfBetweenMetaAndCharset", "<meta\r\ncharset=utf-8>", ""},
        CharsetCase{"LaterMetaOnOneLine",
                    "<meta name=\"x\">\n<meta http-equiv=y content=\"charset=big5\">", "big5"},
        // \w is ASCII only: Chinese letters neither form the name nor end it early.
        CharsetCase{"ChineseIsNotAWordCharacter", "<meta 字符集 charset=中文>", ""},
        CharsetCase{"NameEndsAtChinese", "<meta charset=utf-8中文>", "utf-8"},
        CharsetCase{"NoMetaTag", R"({"status":1,"data":[]})", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct MatchListCase {
    const char* name;
    std::string patternUtf8;
    std::string subjectUtf8;
    RegexSearchOptions options;
    std::vector<std::string> expectedUtf8;
};

class MatchLists : public ::testing::TestWithParam<MatchListCase> {};

TEST_P(MatchLists, HoldEveryMatchFromLeftToRight) {
    const MatchListCase& c = GetParam();
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(GbkFromUtf8(c.patternUtf8), GbkFromUtf8(c.subjectUtf8), c.options));
    EXPECT_EQ(MatchTexts(matcher), Gbk(c.expectedUtf8));
}

constexpr RegexSearchOptions kDefaults{};
constexpr RegexSearchOptions kCaseSensitive{.caseSensitive = true};
constexpr RegexSearchOptions kSingleLine{.multiline = false};
constexpr RegexSearchOptions kFirstOnly{.global = false};

INSTANTIATE_TEST_SUITE_P(
    Semantics, MatchLists,
    ::testing::Values(
        MatchListCase{"WordIsAsciiOnly", R"(\w+)", "abc中文def_9", kDefaults, {"abc", "def_9"}},
        MatchListCase{"NonWordTakesChinese", R"([^\w]+)", "ab中文cd", kDefaults, {"中文"}},
        MatchListCase{"DotSkipsLineFeedOnly", "a.b", "a\nb a\rb a.b", kDefaults, {"a\rb", "a.b"}},
        MatchListCase{"AnchorsAtEveryLine",
                      R"(^\w+$)",
                      "one\ntwo\nthree",
                      kDefaults,
                      {"one", "two", "three"}},
        MatchListCase{"AnchorsAtSubjectOnly", R"(^\w+$)", "one\ntwo", kSingleLine, {}},
        MatchListCase{"CaretAtSubjectStartOnly", R"(^\w+)", "one\ntwo", kSingleLine, {"one"}},
        MatchListCase{"DollarIgnoresFinalLineFeedWithoutMultiline", "x$", "x\n", kSingleLine, {}},
        MatchListCase{
            "CaselessByDefault", "song", "Song SONG song", kDefaults, {"Song", "SONG", "song"}},
        MatchListCase{"CaseSensitive", "song", "Song SONG song", kCaseSensitive, {"song"}},
        MatchListCase{"FirstOnlyWithoutGlobal", R"(\d+)", "1 22 333", kFirstOnly, {"1"}},
        MatchListCase{
            "ChineseIsOneCharacterToThePattern", "^..$", "中文\nab\n中", kDefaults, {"中文", "ab"}},
        // Empty matches step on one character each: never inside a two-byte character, and
        // once at the very end.
        MatchListCase{"EmptyMatchesOverChinese", "x*", "中文", kDefaults, {"", "", ""}},
        MatchListCase{"EmptyThenNonEmpty", "x*", "a中x", kDefaults, {"", "", "x", ""}},
        // After an empty match a non-empty one at the same place is tried before moving on.
        MatchListCase{
            "NonEmptyRetriedWhereEmptyMatched", "a??", "aa", kDefaults, {"", "a", "", "a", ""}},
        MatchListCase{"RepeatedChinese", "中*", "中中a", kDefaults, {"中中", "", ""}},
        MatchListCase{"EmptyPatternOnEmptySubject", "", "", kDefaults, {""}},
        MatchListCase{"NothingFound", "zzz", "abc", kDefaults, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegexMatcher, SubjectWithoutMatchesSearchesTrueWithNothingToRead) {
    RegexMatcher matcher;
    EXPECT_TRUE(matcher.Search(kSongNamePattern, R"({"status":0})"));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1), Text());
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text());
}

TEST(RegexMatcher, RejectedPatternFailsSilently) {
    RegexMatcher matcher;
    EXPECT_FALSE(matcher.Search("(abc", "abc (abc"));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1), Text());
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text());
    EXPECT_EQ(matcher.ReplaceMatches("x"), Text());
    // The pattern was set before it was found wanting.
    EXPECT_EQ(matcher.GetPattern(), Text("(abc"));
}

TEST(RegexMatcher, FailedSearchDropsTheEarlierMatches) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(kIdPattern, ReplySubject()));
    ASSERT_EQ(matcher.MatchCount(), 3);
    EXPECT_FALSE(matcher.Search("[unclosed", ReplySubject()));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text());
}

TEST(RegexMatcher, BeforeAnySearchEverythingIsEmpty) {
    const RegexMatcher matcher;
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchCount(), 0);
    EXPECT_EQ(matcher.GetPattern(), Text());
    EXPECT_EQ(matcher.ReplaceMatches("x"), Text());
    int32_t position = 123;
    EXPECT_EQ(matcher.MatchText(1, &position), Text());
    EXPECT_EQ(position, -2);
}

TEST(RegexMatcher, SecondSearchDiscardsTheFirst) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(kSongNamePattern, ReplySubject()));
    ASSERT_EQ(matcher.MatchCount(), 4);
    ASSERT_TRUE(matcher.Search(R"((\w)(\w)=(\d))", "ab=1 cd=x"));
    EXPECT_EQ(matcher.MatchCount(), 1);
    EXPECT_EQ(matcher.SubMatchCount(), 3);
    EXPECT_EQ(matcher.MatchText(1), Text("ab=1"));
    EXPECT_EQ(matcher.SubMatchText(1, 3), Text("1"));
    EXPECT_EQ(matcher.MatchText(2), Text());
    EXPECT_EQ(matcher.GetPattern(), Text(R"((\w)(\w)=(\d))"));
}

TEST(RegexMatcher, NumbersOutOfRangeGiveEmptyText) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(R"((\d)(\d))", "12 34"));
    ASSERT_EQ(matcher.MatchCount(), 2);
    for (const int32_t n : {-1, 0, 3}) {
        EXPECT_EQ(matcher.MatchText(n), Text()) << "match " << n;
        EXPECT_EQ(matcher.SubMatchText(n, 1), Text()) << "match " << n;
    }
    for (const int32_t g : {-1, 0, 3}) {
        EXPECT_EQ(matcher.SubMatchText(1, g), Text()) << "group " << g;
    }
    EXPECT_EQ(matcher.SubMatchText(2, 2), Text("4"));
}

TEST(RegexMatcher, GroupThatTookNoPartIsEmpty) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search("(a)|(b)", "b"));
    EXPECT_EQ(matcher.SubMatchCount(), 2);
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text());
    EXPECT_EQ(matcher.SubMatchText(1, 2), Text("b"));
}

TEST(RegexMatcher, ShorterMatchListGivesEmptyFieldsForLaterRows) {
    // The song search walks the song-name count while reading the other matchers.
    const Text reply = R"({"SongName":"a","ID":"1"},{"SongName":"b"})";
    RegexMatcher songs;
    RegexMatcher ids;
    ASSERT_TRUE(songs.Search(kSongNamePattern, reply));
    ASSERT_TRUE(ids.Search(kIdPattern, reply));
    ASSERT_EQ(songs.MatchCount(), 2);
    EXPECT_EQ(ids.SubMatchText(1, 1), Text("1"));
    EXPECT_EQ(ids.SubMatchText(2, 1), Text());
}

struct PositionCase {
    const char* name;
    std::string patternUtf8;
    std::string subjectUtf8;
    RegexSearchOptions options;
    int32_t match;
    int32_t group;  // 0: MatchText
    std::string expectedTextUtf8;
    int32_t expectedPosition;
};

class Positions : public ::testing::TestWithParam<PositionCase> {};

TEST_P(Positions, AreByteOffsetsFoundFromTheCharacterIndex) {
    const PositionCase& c = GetParam();
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(GbkFromUtf8(c.patternUtf8), GbkFromUtf8(c.subjectUtf8), c.options));
    int32_t position = 123;
    const Text text = c.group == 0 ? matcher.MatchText(c.match, &position)
                                   : matcher.SubMatchText(c.match, c.group, &position);
    EXPECT_EQ(text, GbkFromUtf8(c.expectedTextUtf8));
    EXPECT_EQ(position, c.expectedPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, Positions,
    ::testing::Values(
        PositionCase{"AsciiOnly", "b+", "aabbb", kDefaults, 1, 0, "bbb", 2},
        // Character index 2, byte offset 3.
        PositionCase{"AfterChinese", "ab", "中 ab", kDefaults, 1, 0, "ab", 3},
        PositionCase{"ChineseMatch", "文+", "a中文文", kDefaults, 1, 0, "文文", 3},
        // The group is looked for from its match's start: 晴 is character 5, byte 6.
        PositionCase{"GroupAfterChinese", R"re(x="(.*?)")re", "歌 x=\"晴天\"", kDefaults, 1, 1,
                     "晴天", 6},
        PositionCase{"SecondMatch", R"(\d)", "中1中2", kDefaults, 2, 0, "2", 5},
        // The search starts one byte before the character index; inside a two-byte character
        // it steps over pairs that are not characters and can miss the text.
        PositionCase{"StartInsideTwoByteCharacter", "ab", "ab中文ab", kDefaults, 2, 0, "ab", -2},
        // Ignoring case, the lookup takes the first occurrence in any case from its start...
        PositionCase{"CaselessFindsEarlierOccurrence", "ab", "中中中 AB ab", kDefaults, 2, 0, "ab",
                     7},
        // ...and with case respected only the exact text.
        PositionCase{"CaseSensitiveFindsExactText", "ab", "中中中 Ab ab", kCaseSensitive, 1, 0,
                     "ab", 10},
        PositionCase{"NoSuchMatch", "zz", "中ab", kDefaults, 1, 0, "", -2},
        PositionCase{"NoSuchGroup", "(a)", "中ab", kDefaults, 1, 2, "", -2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegexMatcher, PositionDoesNotChangeTheText) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(kSingerPattern, ReplySubject()));
    int32_t position = 0;
    EXPECT_EQ(matcher.SubMatchText(2, 1, &position), matcher.SubMatchText(2, 1));
    EXPECT_EQ(matcher.MatchText(3, &position), matcher.MatchText(3));
}

TEST(RegexMatcher, CopySharesResultsAndKeepsItsOwnSubject) {
    RegexMatcher original;
    ASSERT_TRUE(original.Search(kSingerPattern, ReplySubject()));
    int32_t tomPosition = -2;
    const Text tomMatch = original.MatchText(3, &tomPosition);
    ASSERT_EQ(tomMatch, Text(R"(SingerName":"Tom")"));
    ASSERT_GE(tomPosition, 0);
    const RegexMatcher copy(original);
    RegexMatcher assigned;
    assigned = original;

    // The original moves on to a shorter subject; the copies still read the reply.
    ASSERT_TRUE(original.Search("(x)", "x"));
    for (const RegexMatcher* matcher : {&copy, const_cast<const RegexMatcher*>(&assigned)}) {
        EXPECT_EQ(Group1Texts(*matcher), Gbk({"周杰伦", "<EM>周</EM>杰伦", "Tom"}));
        EXPECT_EQ(matcher->GetPattern(), kSingerPattern);
        int32_t position = 0;
        EXPECT_EQ(matcher->MatchText(3, &position), tomMatch);
        EXPECT_EQ(position, tomPosition);
    }
    EXPECT_EQ(MatchTexts(original), std::vector<Text>{"x"});
}

TEST(RegexMatcher, MovedMatcherKeepsTheResults) {
    RegexMatcher original;
    ASSERT_TRUE(original.Search(kIdPattern, ReplySubject()));
    RegexMatcher moved(std::move(original));
    EXPECT_EQ(Group1Texts(moved), Gbk({"101", "102", "103"}));
    RegexMatcher target;
    target = std::move(moved);
    EXPECT_EQ(target.SubMatchText(3, 1), Text("103"));
}

struct PlaceholderCase {
    const char* name;
    bool quotePlaceholder;
    std::string subjectUtf8;
    std::string expectedGroupUtf8;
    std::string expectedPatternUtf8;
};

class QuotePlaceholder : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(QuotePlaceholder, StandsForADoubleQuoteOnlyWhenAsked) {
    const PlaceholderCase& c = GetParam();
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search("#引号(.*?)#引号"_gbk, GbkFromUtf8(c.subjectUtf8),
                               {.quotePlaceholder = c.quotePlaceholder}));
    EXPECT_EQ(matcher.SubMatchText(1, 1), GbkFromUtf8(c.expectedGroupUtf8));
    EXPECT_EQ(matcher.GetPattern(), GbkFromUtf8(c.expectedPatternUtf8));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, QuotePlaceholder,
    ::testing::Values(
        PlaceholderCase{"Replaced", true, R"(say "晴天" now)", "晴天", R"re("(.*?)")re"},
        PlaceholderCase{"ReplacedNotLiteral", true, "#引号晴天#引号", "", R"re("(.*?)")re"},
        PlaceholderCase{"KeptWhenOff", false, R"(say "晴天" now #引号hi#引号)", "hi",
                        "#引号(.*?)#引号"},
        PlaceholderCase{"LiteralMissing", false, R"(say "晴天" now)", "", "#引号(.*?)#引号"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReplaceCase {
    const char* name;
    std::string patternUtf8;
    std::string subjectUtf8;
    RegexSearchOptions options;
    std::string replacementUtf8;
    std::string expectedUtf8;
};

class ReplaceMatches : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceMatches, ExpandsTheReplacementForEveryMatch) {
    const ReplaceCase& c = GetParam();
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(GbkFromUtf8(c.patternUtf8), GbkFromUtf8(c.subjectUtf8), c.options));
    EXPECT_EQ(matcher.ReplaceMatches(GbkFromUtf8(c.replacementUtf8)), GbkFromUtf8(c.expectedUtf8));
}

INSTANTIATE_TEST_SUITE_P(
    Templates, ReplaceMatches,
    ::testing::Values(
        ReplaceCase{"Groups", R"((\w+)@(\w+))", "a@b, c@d", kDefaults, "$2@$1", "b@a, d@c"},
        ReplaceCase{"WholeMatch", R"(\w@\w)", "a@b, c@d", kDefaults, "[$&]", "[a@b], [c@d]"},
        ReplaceCase{"Before", R"(\w@\w)", "a@b, c@d", kDefaults, "<$`>", "<>, <a@b, >"},
        ReplaceCase{"After", R"(\w@\w)", "a@b, c@d", kDefaults, "<$'>", "<, c@d>, <>"},
        ReplaceCase{"Dollar", R"((\w)@)", "a@b", kDefaults, "$$1", "$1b"},
        ReplaceCase{"UnknownGroupKept", R"((\w)@)", "a@b", kDefaults, "$2$0$x$", "$2$0$x$b"},
        ReplaceCase{"OneDigitThenText", R"((\w)@)", "a@b", kDefaults, "$12", "a2b"},
        ReplaceCase{"TwoDigitGroup", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", "abcdefghijklm",
                    kDefaults, "$12$11$1", "lkam"},
        ReplaceCase{"GroupThatTookNoPart", "(a)|(b)", "ab", kDefaults, "[$1|$2]", "[a|][|b]"},
        ReplaceCase{"EmptyReplacementRemoves", R"(<em>|</em>)", "<em>晴天</em>", kDefaults, "",
                    "晴天"},
        ReplaceCase{"FirstOnlyWithoutGlobal", R"((\w+)@(\w+))", "a@b, c@d", kFirstOnly, "$2@$1",
                    "b@a, c@d"},
        ReplaceCase{"Chinese", "(中)文", "中文abc中文", kDefaults, "$1国", "中国abc中国"},
        ReplaceCase{"EmptyMatches", "x*", "中a", kDefaults, "-", "-中-a-"},
        ReplaceCase{"NoMatchKeepsSubject", "zz", "中a", kDefaults, "-", "中a"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace melvora
