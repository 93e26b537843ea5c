#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "regex/Utf16Pattern.h"

namespace melvora {

// Found by ADL so that failures show spans as [begin,end).
void PrintTo(const UnitSpan& span, std::ostream* out) {
    *out << "[" << span.begin << "," << span.end << ")";
}

namespace {

// GBK holds no character outside the Basic Multilingual Plane, so no GBK subject reaches the
// engine as a surrogate pair; these cases drive the UTF-16 layer directly.

std::vector<UnitSpan> WholeMatches(const MatchOffsets& matches) {
    std::vector<UnitSpan> spans;
    for (std::size_t m = 0; m < matches.MatchCount(); ++m) {
        spans.push_back(*matches.Group(m, 0));
    }
    return spans;
}

std::unique_ptr<const Utf16Pattern> CompileCaseless(std::u16string_view pattern) {
    return Utf16Pattern::Compile(pattern, LetterMatching::Caseless, LineAnchors::EveryLine);
}

struct SpanCase {
    const char* name;
    std::u16string pattern;
    std::u16string subject;
    std::vector<UnitSpan> expected;
};

void PrintTo(const SpanCase& c, std::ostream* out) {
    *out << c.name;
}

class SurrogatePairs : public ::testing::TestWithParam<SpanCase> {};

TEST_P(SurrogatePairs, AreOneCharacter) {
    const SpanCase& c = GetParam();
    const auto pattern = CompileCaseless(c.pattern);
    ASSERT_NE(pattern, nullptr);
    const auto matches = pattern->FindMatches(c.subject, MatchScope::All);
    ASSERT_TRUE(matches.has_value());
    EXPECT_EQ(WholeMatches(*matches), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, SurrogatePairs,
    ::testing::Values(
        // U+1F600 takes units 1 and 2: no empty match may fall between its halves.
        SpanCase{"EmptyMatchesStepOverThePair",
                 u"x*",
                 u"a\U0001F600b",
                 {{0, 0}, {1, 1}, {3, 3}, {4, 4}}},
        SpanCase{"PairAtTheEnd", u"x*", u"\U0001F600", {{0, 0}, {2, 2}}},
        SpanCase{"DotTakesBothHalves", u".", u"\U0001F600a", {{0, 2}, {2, 3}}},
        SpanCase{"EmptyThenNonEmptyAfterPair", u"b*", u"\U0001F600bb", {{0, 0}, {2, 4}, {4, 4}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf16Pattern, LoneSurrogateInTheSubjectFailsTheRun) {
    const auto pattern = CompileCaseless(u"a");
    ASSERT_NE(pattern, nullptr);
    const std::u16string broken{u'a', char16_t{0xD800}, u'a'};
    EXPECT_FALSE(pattern->FindMatches(broken, MatchScope::All).has_value());
}

TEST(Utf16Pattern, RejectedPatternCompilesToNothing) {
    EXPECT_EQ(CompileCaseless(u"a)"), nullptr);
    EXPECT_EQ(CompileCaseless(u"[a"), nullptr);
    EXPECT_EQ(CompileCaseless(u"a{2,1}"), nullptr);
}

TEST(Utf16Pattern, CountsCaptureGroupsAndMarksThoseThatTookNoPart) {
    const auto pattern = CompileCaseless(u"(a)|(b)(?:c)");
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->CaptureCount(), 2u);
    const auto matches = pattern->FindMatches(u"bc", MatchScope::All);
    ASSERT_TRUE(matches.has_value());
    ASSERT_EQ(matches->MatchCount(), 1u);
    EXPECT_FALSE(matches->Group(0, 1).has_value());
    EXPECT_EQ(matches->Group(0, 2), (UnitSpan{0, 1}));
    EXPECT_FALSE(matches->Group(0, 3).has_value());
    EXPECT_FALSE(matches->Group(1, 0).has_value());
}

TEST(Utf16Pattern, KeepAtTheEndOfAMatchCannotLoop) {
    // \K moves the reported start to the end, so the match is empty although the engine moved
    // on; the run must still advance past each one.
    const auto pattern = CompileCaseless(u"a\\K");
    ASSERT_NE(pattern, nullptr);
    const auto matches = pattern->FindMatches(u"aaa", MatchScope::All);
    ASSERT_TRUE(matches.has_value());
    EXPECT_EQ(WholeMatches(*matches), (std::vector<UnitSpan>{{1, 1}, {2, 2}, {3, 3}}));
}

TEST(Utf16Pattern, CaseSensitivityAndFirstOnlyScope) {
    const auto exact =
        Utf16Pattern::Compile(u"ab", LetterMatching::CaseSensitive, LineAnchors::EveryLine);
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(WholeMatches(*exact->FindMatches(u"AB ab ab", MatchScope::All)),
              (std::vector<UnitSpan>{{3, 5}, {6, 8}}));
    EXPECT_EQ(WholeMatches(*exact->FindMatches(u"AB ab ab", MatchScope::FirstOnly)),
              (std::vector<UnitSpan>{{3, 5}}));
}

TEST(Utf16Pattern, LongSubjectCollectsEveryMatch) {
    // Thousands of matches in one run: each call after the first skips the subject's check.
    std::u16string subject;
    for (int i = 0; i < 5000; ++i) {
        subject += u"\"ID\":\"" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                   u"\",\u6B4C\U0001F600";
    }
    const auto pattern = CompileCaseless(u"\"ID\":\"(.*?)\"");
    ASSERT_NE(pattern, nullptr);
    const auto matches = pattern->FindMatches(subject, MatchScope::All);
    ASSERT_TRUE(matches.has_value());
    ASSERT_EQ(matches->MatchCount(), 5000u);
    const UnitSpan last = *matches->Group(4999, 1);
    EXPECT_EQ(subject.substr(last.begin, last.size()), u"9");
}

}  // namespace
}  // namespace melvora
