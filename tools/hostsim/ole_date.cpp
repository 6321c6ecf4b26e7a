#include "hostsim/ole_date.h"

namespace {

// The Julian day number of a Gregorian date (Fliegel and Van Flandern).
long julianDayNumber(long year, long month, long day) {
    const long a = (month - 14) / 12;
    return (1461 * (year + 4800 + a)) / 4 + (367 * (month - 2 - 12 * a)) / 12 - (3 * ((year + 4900 + a) / 100)) / 4 +
           day - 32075;
}

// 30 December 1899, day 0 of OLE Automation.
constexpr long kOleEpochJulianDay = 2415019;

}  // namespace

double simulatorOleDate(int year, int month, int day, int hour, int minute, int second) {
    const long days = julianDayNumber(year, month, day) - kOleEpochJulianDay;
    const double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}
