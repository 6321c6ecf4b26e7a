#include "engine/date_time.h"

#include <cmath>
#include <ctime>

namespace {

// OLE Automation's range: 1 January 100 to 31 December 9999, 23:59:59.
constexpr double kMinOleDate = -657434.0;
constexpr double kMaxOleDate = 2958466.0;
constexpr long long kSecondsPerDay = 86400;

// Day number (civil, days since 1970-01-01) of the OLE epoch, 30 December 1899.
constexpr long long kOleEpochDays = daysFromCivil(1899, 12, 30);

}  // namespace

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

DateTimeArg copyDateTimeArg(const DateTimeArg* hostRecord) {
    if (hostRecord == nullptr) {
        DateTimeArg nullValue;
        nullValue.status = kDateTimeNull;
        return nullValue;
    }
    return *hostRecord;
}

bool toCalendarTime(const DateTimeArg& value, CalendarTime& out) {
    if (value.status != kDateTimeValid || !std::isfinite(value.date)) {
        return false;
    }
    if (value.date <= kMinOleDate - 1.0 || value.date >= kMaxOleDate) {
        return false;
    }
    // The integer part counts days (towards zero) and the magnitude of the
    // fraction is the time of day, also for dates before 1899-12-30.
    const double wholeDays = std::trunc(value.date);
    long long seconds = std::llround(std::fabs(value.date - wholeDays) * kSecondsPerDay);
    long long day = static_cast<long long>(wholeDays);
    if (seconds >= kSecondsPerDay) {  // 23:59:59.5 and later round into the next day
        seconds -= kSecondsPerDay;
        ++day;
    }
    civilFromDays(kOleEpochDays + day, out.year, out.month, out.day);
    if (out.year < 100 || out.year > 9999) {
        return false;
    }
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return true;
}

std::string formatDateTime(const DateTimeArg& value, const char* pattern) {
    if (value.status == kDateTimeNull) {
        return {};
    }
    CalendarTime calendar{};
    if (!toCalendarTime(value, calendar)) {
        return "Invalid DateTime";
    }
    std::tm fields{};
    fields.tm_year = calendar.year - 1900;
    fields.tm_mon = calendar.month - 1;
    fields.tm_mday = calendar.day;
    fields.tm_hour = calendar.hour;
    fields.tm_min = calendar.minute;
    fields.tm_sec = calendar.second;
    const long long civilDay =
        daysFromCivil(calendar.year, static_cast<unsigned>(calendar.month), static_cast<unsigned>(calendar.day));
    fields.tm_wday = static_cast<int>(((civilDay % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    fields.tm_yday = static_cast<int>(civilDay - daysFromCivil(calendar.year, 1, 1));
    fields.tm_isdst = 0;

    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, pattern, &fields);
    return std::string(buffer, length);
}

double oleDateFromCalendar(int year, int month, int day, int hour, int minute, int second) {
    const long long days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpochDays;
    const double timeOfDay = (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
    // Before the epoch the fraction still counts forward from midnight.
    return days >= 0 ? static_cast<double>(days) + timeOfDay : static_cast<double>(days) - timeOfDay;
}
