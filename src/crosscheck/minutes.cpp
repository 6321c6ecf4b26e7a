#include "crosscheck/minutes.h"

#include <cstdio>

namespace crosscheck {

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    return (a >= 0 ? a : a - (b - 1)) / b;
}

}  // namespace

CivilMinute civilOf(int64_t minute) {
    const int64_t days = floorDiv(minute, 1440);
    const int64_t ofDay = minute - days * 1440;
    // Days to a civil date, after H. Hinnant's algorithm.
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilMinute c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = yoe + era * 400 + (c.month <= 2 ? 1 : 0);
    c.hour = static_cast<int>(ofDay / 60);
    c.minute = static_cast<int>(ofDay % 60);
    return c;
}

int64_t minuteOf(int64_t year, int month, int day, int hour, int minute) {
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t mp = month > 2 ? month - 3 : month + 9;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe - 719468;
    return days * 1440 + hour * 60 + minute;
}

std::string minuteText(int64_t minute) {
    const CivilMinute c = civilOf(minute);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d", static_cast<long long>(c.year), c.month, c.day,
                  c.hour, c.minute);
    return text;
}

}  // namespace crosscheck
