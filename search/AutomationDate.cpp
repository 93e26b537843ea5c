#include "search/AutomationDate.h"

#include <cmath>
#include <ctime>

namespace melvora {

namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date (Howard Hinnant's days_from_civil):
// pure calendar arithmetic, so no time zone of the machine takes part.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr int64_t kDaysFrom1899To1970 = 25569;

}  // namespace

double AutomationDateFromLocal(const LocalDateTime& dateTime) {
    const int64_t days =
        DaysFromCivil(dateTime.year, dateTime.month, dateTime.day) + kDaysFrom1899To1970;
    const double dayFraction = (dateTime.hour * 3600.0 + dateTime.minute * 60.0 + dateTime.second +
                                dateTime.millisecond / 1000.0) /
                               86400.0;
    // Negative dates carry the time of day as a positive fraction away from zero.
    return days >= 0 ? static_cast<double>(days) + dayFraction
                     : static_cast<double>(days) - dayFraction;
}

double CurrentAutomationDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return AutomationDateFromLocal({.year = local.tm_year + 1900,
                                    .month = local.tm_mon + 1,
                                    .day = local.tm_mday,
                                    .hour = local.tm_hour,
                                    .minute = local.tm_min,
                                    .second = local.tm_sec});
}

}  // namespace melvora
