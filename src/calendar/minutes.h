// Whole minutes since 1970-01-01 00:00 UTC, the cross-check's time, and
// their calendar form.
#pragma once

#include <cstdint>
#include <string>

struct CivilMinute {
    int64_t year;
    int month, day, hour, minute;
};

// The calendar date and time of a minute.
CivilMinute civilOf(int64_t minute);

// The minute of a calendar date and time; no range checks.
int64_t minuteOf(int64_t year, int month, int day, int hour = 0, int minute = 0);

// "2026-03-14 12:05".
std::string minuteText(int64_t minute);
