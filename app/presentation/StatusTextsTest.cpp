#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "app/presentation/MessageTexts.h"
#include "app/presentation/StatusTexts.h"

namespace melvora {
namespace {

using namespace literals;

struct MegabytesCase {
    int32_t bytes;
    const char* text;
};

void PrintTo(const MegabytesCase& c, std::ostream* out) {
    *out << c.bytes << " bytes";
}

class MegabytesTextTest : public ::testing::TestWithParam<MegabytesCase> {};

TEST_P(MegabytesTextTest, RoundsToTwoDecimalsAndDropsTrailingZeros) {
    EXPECT_EQ(MegabytesText(GetParam().bytes), Text(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MegabytesTextTest,
    ::testing::Values(MegabytesCase{0, "0"}, MegabytesCase{10240, "0.01"},
                      MegabytesCase{1048576, "1"}, MegabytesCase{3932160, "3.75"},
                      MegabytesCase{5000000, "4.77"}, MegabytesCase{123456789, "117.74"},
                      // 1048576 + 10240: the first block behind a 1 MB offset.
                      MegabytesCase{1058816, "1.01"},
                      // Exactly half a hundredth (5242.88 bytes is not whole, 0.005 MB).
                      MegabytesCase{5243, "0.01"}, MegabytesCase{5242, "0"},
                      // A negative count (a length past 2 GB seen as signed) keeps its sign.
                      MegabytesCase{-1048576, "-1"}, MegabytesCase{-5000000, "-4.77"}));

TEST(RoundToTwoDecimalsTest, NudgeLiftsValuesJustBelowAHalf) {
    // 1.005 is stored as 1.00499999999999989...; the nudge makes it round up as written.
    EXPECT_DOUBLE_EQ(RoundToTwoDecimals(1.005), 1.01);
    EXPECT_DOUBLE_EQ(RoundToTwoDecimals(-1.005), -1.01);
    EXPECT_DOUBLE_EQ(RoundToTwoDecimals(2.675), 2.68);
    EXPECT_DOUBLE_EQ(RoundToTwoDecimals(0.004), 0.0);
    EXPECT_FALSE(std::signbit(RoundToTwoDecimals(-0.001)));
}

TEST(DownloadProgressTextTest, ComposesTheStatusTextByteForByte) {
    EXPECT_EQ(DownloadProgressText("X", 5000000, 10240),
              "正在下载:X    文件大小:4.77MB    已下载:0.01MB"_gbk);
    EXPECT_EQ(DownloadProgressText("晴天"_gbk, 0, 1058816),
              "正在下载:晴天    文件大小:0MB    已下载:1.01MB"_gbk);
}

TEST(StatusTextsTest, CountAndCompletionTextsByteForByte) {
    EXPECT_EQ(SongCountText(0), "歌曲数量：0"_gbk);
    EXPECT_EQ(SongCountText(30), "歌曲数量：30"_gbk);
    EXPECT_EQ(DownloadFinishedText("晴天.mp3"_gbk), "[晴天.mp3]  下载完毕"_gbk);
    EXPECT_EQ(NowPlayingText("晴天.mp3"_gbk), "正在播放：[晴天.mp3]"_gbk);
}

TEST(MessageTextsTest, EachFailureHasItsMessageAndDoneAndCancelledHaveNone) {
    EXPECT_EQ(OutcomeMessage(DownloadOutcome::InternetError), "Internet连接错误!"_gbk);
    EXPECT_EQ(OutcomeMessage(DownloadOutcome::CannotOpenUrl), "不能打开该URL!"_gbk);
    EXPECT_EQ(OutcomeMessage(DownloadOutcome::CannotOpenLocalFile), "不能打开本地的文件!"_gbk);
    EXPECT_EQ(OutcomeMessage(DownloadOutcome::ReadError), "读文件出错!"_gbk);
    EXPECT_EQ(OutcomeMessage(DownloadOutcome::WriteError), "写文件出错!"_gbk);
    EXPECT_EQ(OutcomeMessage(DownloadOutcome::Done), std::nullopt);
    EXPECT_EQ(OutcomeMessage(DownloadOutcome::Cancelled), std::nullopt);
}

}  // namespace
}  // namespace melvora
