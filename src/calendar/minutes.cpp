#include "calendar/minutes.h"

#include <cstdio>

#include "calendar/calendar.h"

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    return (a >= 0 ? a : a - (b - 1)) / b;
}

}  // namespace

CivilMinute civilOf(int64_t minute) {
    const int64_t days = floorDiv(minute, 1440);
    const int64_t ofDay = minute - days * 1440;
    int year = 0;
    CivilMinute c;
    civilFromDays(days, year, c.month, c.day);
    c.year = year;
    c.hour = static_cast<int>(ofDay / 60);
    c.minute = static_cast<int>(ofDay % 60);
    return c;
}

int64_t minuteOf(int64_t year, int month, int day, int hour, int minute) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 1440 + hour * 60 + minute;
}

std::string minuteText(int64_t minute) {
    const CivilMinute c = civilOf(minute);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d", static_cast<long long>(c.year), c.month, c.day,
                  c.hour, c.minute);
    return text;
}
