// The host's date-time record and its formatting as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Layout of the host's date-time argument: an OLE Automation date (days since
// 30 December 1899, the fraction being the time of day) and a status.
struct DateTimeArg {
    double date = 0.0;
    int32_t status = 0;
};
static_assert(offsetof(DateTimeArg, date) == 0, "the host reads the date at offset 0");
static_assert(offsetof(DateTimeArg, status) == 8, "the host reads the status at offset 8");

enum DateTimeStatus : int32_t { kDateTimeValid = 0, kDateTimeInvalid = 1, kDateTimeNull = 2 };

// Copies the host's record; a missing record reads as a null date-time.
DateTimeArg copyDateTimeArg(const DateTimeArg* hostRecord);

// Formats with strftime conversions. A null status gives "", an invalid status
// (or any status other than valid and null), a NaN or infinite date, or a date
// outside OLE Automation's years 100 to 9999 give "Invalid DateTime". The time
// of day is rounded to the nearest second first, as OLE Automation does.
std::string formatDateTime(const DateTimeArg& value, const char* pattern);

// Calendar fields of a valid date-time, after rounding to the second.
struct CalendarTime {
    int year, month, day, hour, minute, second;
};
bool toCalendarTime(const DateTimeArg& value, CalendarTime& out);

// The OLE Automation date of a calendar date and time (proleptic Gregorian).
double oleDateFromCalendar(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
