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

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (H.
// Hinnant's days-from-civil), any year; civilFromDays is its inverse.
constexpr long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}
void civilFromDays(long long z, int& year, int& month, int& day);
