#pragma once

#include <cstdint>

namespace melvora {

// A local wall-clock date-time, broken down as a calendar shows it.
struct LocalDateTime {
    int32_t year = 1899;
    int32_t month = 12;
    int32_t day = 30;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t millisecond = 0;
};

// An automation date: days since 1899-12-30 00:00 local time as a double, the time of day in the
// fraction. Before that day the value is negative and its fraction still counts forward from
// midnight, as the format defines it (-1.25 is 1899-12-29 06:00).
double AutomationDateFromLocal(const LocalDateTime& dateTime);

// The current local wall-clock time in whole seconds.
double CurrentAutomationDate();

}  // namespace melvora
