// The host's date-time record and its formatting as text.
#pragma once

#include <string>

#include "abi/date_time_arg.h"
#include "calendar/calendar.h"

namespace torv::engine {

// Copies the host's record; a missing record reads as a null date-time.
abi::DateTimeArg copyDateTimeArg(const abi::DateTimeArg* hostRecord);

// Formats with strftime conversions. A null status gives "", an invalid status
// (or any status other than valid and null), a NaN or infinite date, or a date
// outside OLE Automation's years 100 to 9999 give "Invalid DateTime". The time
// of day is rounded to the nearest second first, as OLE Automation does.
std::string formatDateTime(const abi::DateTimeArg& value, const char* pattern);

// Calendar fields of a valid date-time, after rounding to the second.
struct CalendarTime {
    int year, month, day, hour, minute, second;
};
bool toCalendarTime(const abi::DateTimeArg& value, CalendarTime& out);

}  // namespace torv::engine
