#include <gtest/gtest.h>

#include <charconv>
#include <ostream>

#include "download/DownloadHeaders.h"

namespace melvora::download {
namespace {

TEST(DownloadHeaderBlockTest, FixedBlockIsTheExact156Bytes) {
    EXPECT_EQ(kDownloadHeaderBlock.size(), 156U);
    EXPECT_EQ(DownloadHeaderBlock(ResumeMode::Fresh, 0), std::string(kDownloadHeaderBlock));
    EXPECT_EQ(kDownloadHeaderBlock.substr(kDownloadHeaderBlock.size() - 2), "2)");
}

TEST(DownloadHeaderBlockTest, FreshDownloadNeverCarriesARangeWhateverTheOffset) {
    EXPECT_EQ(DownloadHeaderBlock(ResumeMode::Fresh, 123456), std::string(kDownloadHeaderBlock));
}

struct RangeCase {
    int32_t offset;
    const char* tail;
};

void PrintTo(const RangeCase& c, std::ostream* out) {
    *out << "offset " << c.offset;
}

class RangeLineTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeLineTest, ContinuingAppendsTheRangeLineWithoutBlankOrLineBreak) {
    EXPECT_EQ(DownloadHeaderBlock(ResumeMode::Continue, GetParam().offset),
              std::string(kDownloadHeaderBlock) + GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(Offsets, RangeLineTest,
                         ::testing::Values(RangeCase{0, "\r\nRange:bytes=0-"},
                                           RangeCase{123456, "\r\nRange:bytes=123456-"},
                                           RangeCase{-5, "\r\nRange:bytes=-5-"}));

TEST(HeaderLinesTest, CutsAtEveryCrLf) {
    const auto lines = HeaderLines(DownloadHeaderBlock(ResumeMode::Continue, 7));
    ASSERT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines[0], "Accept: */*");
    EXPECT_EQ(lines[1], "Accept-Language: zh-cn");
    EXPECT_EQ(lines[2], "Accept-Encoding: gzip, deflate");
    EXPECT_EQ(lines[3],
              "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR "
              "1.1.4322)");
    EXPECT_EQ(lines[4], "Range:bytes=7-");
}

TEST(AgentTextTest, IsAgentFollowedBySignedMilliseconds) {
    const std::string agent = AgentText();
    ASSERT_EQ(agent.substr(0, 5), "Agent");
    const std::string digits = agent.substr(5);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    EXPECT_EQ(error, std::errc());
    EXPECT_EQ(end, digits.data() + digits.size());
}

}  // namespace
}  // namespace melvora::download
