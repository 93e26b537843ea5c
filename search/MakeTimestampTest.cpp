#include <gtest/gtest.h>

#include <ctime>
#include <ostream>
#include <string>

#include "search/AutomationDate.h"
#include "search/MakeTimestamp.h"

namespace melvora {
namespace {

// Every date below is a local wall-clock time; the arithmetic never asks the machine's zone.
struct TimestampCase {
    const char* name;
    LocalDateTime dateTime;
    bool tenDigits;
    const char* expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TimestampCase& c, std::ostream* out) {
    *out << c.name;
}

class MakeTimestampTest : public ::testing::TestWithParam<TimestampCase> {};

TEST_P(MakeTimestampTest, CountsFromTheServiceEpochInLocalWallClockTime) {
    const TimestampCase& c = GetParam();
    EXPECT_EQ(MakeTimestamp(AutomationDateFromLocal(c.dateTime), c.tenDigits), Text(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Dates, MakeTimestampTest,
    ::testing::Values(
        TimestampCase{"base", {1970, 1, 1, 8, 0, 0}, false, "0000"},
        TimestampCase{"oneSecondAfterBase", {1970, 1, 1, 8, 0, 1}, false, "1000"},
        TimestampCase{"billionSeconds", {2001, 9, 9, 9, 46, 40}, false, "1000000000000"},
        TimestampCase{"billionSecondsTenDigits", {2001, 9, 9, 9, 46, 40}, true, "1000000000"},
        TimestampCase{"leapDay", {2000, 2, 29, 8, 0, 0}, false, "951782400000"},
        // Nine digits of seconds: the tenth character comes from the millisecond part.
        TimestampCase{"nineDigitSecondsTenDigits", {1973, 3, 3, 17, 46, 40}, true, "1000000000"},
        TimestampCase{"nineDigitSeconds", {1973, 3, 3, 17, 46, 40}, false, "100000000000"},
        TimestampCase{"shortTextTenDigits", {1970, 1, 1, 8, 0, 5}, true, "5000"},
        // A fraction of a second is cut off, and the millisecond field is always zero.
        TimestampCase{"fractionIgnored", {2026, 12, 11, 18, 30, 15, 999}, false, "1796985015000"},
        // Truncation goes toward zero after the allowance of a few microseconds, so before the base
        // an exact second reads one closer to it, and the second just before reads 0.
        TimestampCase{"dayBeforeBase", {1969, 12, 31, 8, 0, 0}, false, "-86399000"},
        TimestampCase{"justBeforeBase", {1970, 1, 1, 7, 59, 59}, false, "0000"},
        TimestampCase{"twoSecondsBeforeBase", {1970, 1, 1, 7, 59, 58}, false, "-1000"},
        // The last second a 32-bit count holds, and the next one, which keeps counting.
        TimestampCase{"last32BitSecond", {2038, 1, 19, 11, 14, 7}, false, "2147483647000"},
        TimestampCase{"after32Bits", {2038, 1, 19, 11, 14, 8}, false, "2147483648000"},
        TimestampCase{"farFuture", {2100, 1, 1, 8, 0, 0}, false, "4102444800000"}),
    [](const ::testing::TestParamInfo<TimestampCase>& info) { return info.param.name; });

TEST(MakeTimestamp, TakesRawAutomationDates) {
    // 25569 days after 1899-12-30 is 1970-01-01; a third of a day later is 08:00.
    EXPECT_EQ(MakeTimestamp(25569.0 + 1.0 / 3.0), Text("0000"));
    EXPECT_EQ(MakeTimestamp(25569.0 + 1.0 / 3.0 + 1.0), Text("86400000"));
}

TEST(MakeTimestamp, CurrentTimeIsTheLocalWallClockInWholeSecondsFromTheBase) {
    // The local wall clock minus 08:00 of 1970-01-01 is Unix time + the zone's offset - 8 hours.
    const auto localSeconds = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return static_cast<long long>(now) + local.tm_gmtoff - 8 * 3600;
    };
    const long long before = localSeconds();
    const std::string stamp = MakeTimestamp().str();
    const long long after = localSeconds();

    ASSERT_EQ(stamp.size(), 13U) << stamp;
    EXPECT_EQ(stamp.substr(10), "000");
    const long long seconds = std::stoll(stamp.substr(0, 10));
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_EQ(MakeTimestamp(std::nullopt, true).size(), 10U);
}

struct AutomationDateCase {
    const char* name;
    LocalDateTime dateTime;
    double expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const AutomationDateCase& c, std::ostream* out) {
    *out << c.name;
}

class AutomationDateTest : public ::testing::TestWithParam<AutomationDateCase> {};

TEST_P(AutomationDateTest, CountsDaysFrom1899December30) {
    EXPECT_DOUBLE_EQ(AutomationDateFromLocal(GetParam().dateTime), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, AutomationDateTest,
    ::testing::Values(AutomationDateCase{"zero", {1899, 12, 30}, 0.0},
                      AutomationDateCase{"year1900Noon", {1900, 1, 1, 12}, 2.5},
                      AutomationDateCase{"year1900Morning", {1900, 1, 2, 6}, 3.25},
                      // Before day zero the time of day still counts away from zero.
                      AutomationDateCase{"beforeDayZero", {1899, 12, 29, 6}, -1.25},
                      AutomationDateCase{"unixEpoch", {1970, 1, 1}, 25569.0}),
    [](const ::testing::TestParamInfo<AutomationDateCase>& info) { return info.param.name; });

}  // namespace
}  // namespace melvora
