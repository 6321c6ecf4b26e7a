// Whole minutes since 1970-01-01 00:00 UTC, the cross-check's time, and
// their calendar form.
#pragma once

#include <cstdint>
#include <string>

namespace torv::calendar {

constexpr int64_t kMinutesPerHour = 60;
constexpr int64_t kMinutesPerDay = 24 * kMinutesPerHour;

struct CivilMinute {
    int64_t year;
    int month, day, hour, minute;
};

// The calendar date and time of a minute.
CivilMinute civilOf(int64_t minute);

// The minute of a calendar date and time; no range checks.
int64_t minuteOf(int64_t year, int month, int day, int hour = 0, int minute = 0);

// The hour and the day (counted from 1970-01-01) that hold a minute,
// rounding down also before 1970.
int64_t hourOf(int64_t minute);
int64_t dayOf(int64_t minute);

// The minute of an OLE Automation date, to the nearest minute.
int64_t minuteOfOleDate(double oleDate);

// "2026-03-14 12:05".
std::string minuteText(int64_t minute);

}  // namespace torv::calendar
