#include <gtest/gtest.h>

#include <ostream>

#include "download/ReplyDecision.h"

namespace melvora::download {
namespace {

struct DecisionCase {
    const char* name;
    int status;
    const char* contentRange;
    ResumeMode mode;
    int32_t offset;
    int64_t localSize;
    ReplyAction expected;
};

void PrintTo(const DecisionCase& c, std::ostream* out) {
    *out << c.name;
}

class DecideReplyTest : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(DecideReplyTest, Decides) {
    const DecisionCase& c = GetParam();
    EXPECT_EQ(DecideReply({.status = c.status, .contentRange = c.contentRange}, c.mode, c.offset,
                          c.localSize),
              c.expected);
}

constexpr auto kFresh = ResumeMode::Fresh;
constexpr auto kContinue = ResumeMode::Continue;

INSTANTIATE_TEST_SUITE_P(
    Table, DecideReplyTest,
    ::testing::Values(
        DecisionCase{"FreshOk", 200, "", kFresh, 0, 500, ReplyAction::WriteFromStart},
        DecisionCase{"FreshNoContent", 204, "", kFresh, 0, 0, ReplyAction::WriteFromStart},
        DecisionCase{"FreshNotFound", 404, "", kFresh, 0, 0, ReplyAction::Refuse},
        DecisionCase{"FreshServerError", 503, "", kFresh, 0, 0, ReplyAction::Refuse},
        DecisionCase{"FreshUnfollowedRedirect", 302, "", kFresh, 0, 0, ReplyAction::Refuse},
        DecisionCase{"ResumePartialAtOffset", 206, "bytes 100-999/1000", kContinue, 100, 100,
                     ReplyAction::Append},
        DecisionCase{"ResumePartialUnknownLength", 206, "bytes 100-999/*", kContinue, 100, 100,
                     ReplyAction::Append},
        DecisionCase{"ResumePartialFileLongerThanOffset", 206, "bytes 100-999/1000", kContinue, 100,
                     150, ReplyAction::Append},
        DecisionCase{"ResumePartialFileShorterThanOffset", 206, "bytes 100-999/1000", kContinue,
                     100, 50, ReplyAction::Refuse},
        DecisionCase{"ResumePartialElsewhere", 206, "bytes 0-999/1000", kContinue, 100, 100,
                     ReplyAction::Refuse},
        DecisionCase{"ResumePartialWithoutRange", 206, "", kContinue, 100, 100,
                     ReplyAction::Refuse},
        DecisionCase{"ResumePartialMalformedRange", 206, "bytes 100-", kContinue, 100, 100,
                     ReplyAction::Refuse},
        DecisionCase{"ResumeRangeIgnored", 200, "", kContinue, 100, 100,
                     ReplyAction::WriteFromStart},
        DecisionCase{"ResumeCompleteFile", 416, "bytes */1000", kContinue, 1000, 1000,
                     ReplyAction::AlreadyComplete},
        DecisionCase{"ResumeUnsatisfiedOtherLength", 416, "bytes */2000", kContinue, 1000, 1000,
                     ReplyAction::Refuse},
        DecisionCase{"ResumeUnsatisfiedNoRange", 416, "", kContinue, 1000, 1000,
                     ReplyAction::Refuse},
        DecisionCase{"ResumeNotFound", 404, "", kContinue, 100, 100, ReplyAction::Refuse},
        DecisionCase{"ResumeServerError", 500, "bytes 100-999/1000", kContinue, 100, 100,
                     ReplyAction::Refuse}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseContentRangeTest, ReadsTheThreeForms) {
    const auto full = ParseContentRange("bytes 5-9/10");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->first, 5);
    EXPECT_EQ(full->last, 9);
    EXPECT_EQ(full->completeLength, 10);

    const auto unknown = ParseContentRange("Bytes 5-9/*");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->first, 5);
    EXPECT_FALSE(unknown->completeLength);

    const auto unsatisfied = ParseContentRange("bytes */10");
    ASSERT_TRUE(unsatisfied);
    EXPECT_FALSE(unsatisfied->first);
    EXPECT_EQ(unsatisfied->completeLength, 10);
}

TEST(ParseContentRangeTest, RejectsMalformedValues) {
    for (const char* value : {"", "bytes", "bytes 5-9", "bytes 9-5/10", "items 5-9/10", "bytes */*",
                              "bytes -5-9/10", "bytes 5-x/10", "bytes5-9/10"}) {
        EXPECT_FALSE(ParseContentRange(value)) << value;
    }
}

}  // namespace
}  // namespace melvora::download
