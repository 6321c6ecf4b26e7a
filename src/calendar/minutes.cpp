#include "calendar/minutes.h"

#include <cmath>
#include <cstdio>

#include "calendar/calendar.h"

namespace torv::calendar {

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    return (a >= 0 ? a : a - (b - 1)) / b;
}

}  // namespace

int64_t hourOf(int64_t minute) {
    return floorDiv(minute, kMinutesPerHour);
}

int64_t dayOf(int64_t minute) {
    return floorDiv(minute, kMinutesPerDay);
}

int64_t minuteOfOleDate(double oleDate) {
    return static_cast<int64_t>(std::llround((oleDate + static_cast<double>(kOleEpochDays)) * kMinutesPerDay));
}

CivilMinute civilOf(int64_t minute) {
    const int64_t days = dayOf(minute);
    const int64_t ofDay = minute - days * kMinutesPerDay;
    int year = 0;
    CivilMinute c;
    civilFromDays(days, year, c.month, c.day);
    c.year = year;
    c.hour = static_cast<int>(ofDay / kMinutesPerHour);
    c.minute = static_cast<int>(ofDay % kMinutesPerHour);
    return c;
}

int64_t minuteOf(int64_t year, int month, int day, int hour, int minute) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * kMinutesPerDay +
           hour * kMinutesPerHour + minute;
}

std::string minuteText(int64_t minute) {
    const CivilMinute c = civilOf(minute);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d", static_cast<long long>(c.year), c.month, c.day,
                  c.hour, c.minute);
    return text;
}

}  // namespace torv::calendar
