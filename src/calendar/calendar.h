// The one calendar of the tree: the proleptic Gregorian calendar, OLE
// Automation dates (days since 30 December 1899, the fraction being the
// time of day) and civil dates. The engine formats the host's dates with
// it, the log readers make dates with it, the cross-check counts minutes
// with it (calendar/minutes.h).
#pragma once

namespace torv::calendar {

// Days since 1970-01-01 of a date, any year (H. Hinnant's days-from-civil);
// civilFromDays is its inverse.
constexpr long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}
void civilFromDays(long long days, int& year, int& month, int& day);

// The civil day number of the OLE epoch, 30 December 1899.
constexpr long long kOleEpochDays = daysFromCivil(1899, 12, 30);

constexpr long long kSecondsPerDay = 86400;

// True for a real date of the years 1900 to 9999 and a time of day from
// 00:00:00 to 23:59:59: what a log record may hold.
bool isValidDateTime(int year, int month, int day, int hour, int minute, int second);

// The OLE Automation date of a calendar date and time. Before the epoch the
// fraction still counts forward from midnight, as OLE Automation has it.
double oleDateFromCalendar(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace torv::calendar
