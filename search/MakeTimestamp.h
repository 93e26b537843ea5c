#pragma once

#include <optional>

#include "text/Text.h"

namespace melvora {

// The time value that every play-data request carries: the whole seconds from 1970-01-01 08:00:00
// to `automationDate` (both local wall-clock times; see AutomationDate.h), directly followed by
// the date-time's millisecond field in three digits. Left out, the date-time is the current local
// time in whole seconds, so on a UTC+8 machine the result is the Unix time in milliseconds.
// `tenDigits` keeps the first 10 characters of that text.
Text MakeTimestamp(std::optional<double> automationDate = std::nullopt, bool tenDigits = false);

}  // namespace melvora
