#include "search/MakeTimestamp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "search/AutomationDate.h"

namespace melvora {

namespace {

// 1970-01-01 08:00:00 as an automation date: the Unix epoch in the service's own UTC+8 wall clock.
constexpr double kBaseDays = 25569.0;
constexpr double kBaseSeconds = 8.0 * 3600.0;
constexpr double kSecondsPerDay = 86400.0;
// Half a second expressed in days, added after scaling to seconds: it only absorbs the rounding
// error of the double arithmetic, so a date-time exactly on a second never truncates to the one
// before it.
constexpr double kRoundingAllowance = 0.000005787037037037037;

// Automation dates before 1899-12-30 hold the time of day as a positive fraction away from zero;
// this turns any of them into plain elapsed days, so that two of them can be subtracted.
double ElapsedDays(double automationDate) {
    if (automationDate >= 0.0) {
        return automationDate;
    }
    const double wholeDays = std::ceil(automationDate);
    return wholeDays + (wholeDays - automationDate);
}

// The seconds count, held in 64 bits: a 32-bit count would end at 2038-01-19 11:14:07, and later
// dates keep counting instead of wrapping.
int64_t SecondsFromBase(double automationDate) {
    const double days = ElapsedDays(automationDate) - kBaseDays;
    return static_cast<int64_t>(
        std::trunc(days * kSecondsPerDay - kBaseSeconds + kRoundingAllowance));
}

// The millisecond field that the system's variant-time conversion reports. That conversion
// resolves a date-time to whole seconds (it rounds the fraction into the seconds field), so the
// field it reports is always zero; the same holds here for every date-time, and the current time
// is read in whole seconds anyway.
int32_t MillisecondField(double /*automationDate*/) {
    return 0;
}

std::string ThreeDigits(int32_t value) {
    std::string digits = std::to_string(value);
    digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
    return digits;
}

}  // namespace

Text MakeTimestamp(std::optional<double> automationDate, bool tenDigits) {
    const double dateTime = automationDate ? *automationDate : CurrentAutomationDate();
    std::string joined =
        std::to_string(SecondsFromBase(dateTime)) + ThreeDigits(MillisecondField(dateTime));
    if (tenDigits) {
        joined.resize(std::min<std::size_t>(joined.size(), 10));
    }
    return Text(std::move(joined));
}

}  // namespace melvora
