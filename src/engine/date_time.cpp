#include "engine/date_time.h"

#include <cmath>
#include <ctime>

namespace torv::engine {

using abi::DateTimeArg;
using abi::kDateTimeNull;
using abi::kDateTimeValid;
using calendar::civilFromDays;
using calendar::daysFromCivil;
using calendar::kOleEpochDays;
using calendar::kSecondsPerDay;

namespace {

// OLE Automation's range: 1 January 100 to 31 December 9999, 23:59:59.
constexpr double kMinOleDate = -657434.0;
constexpr double kMaxOleDate = 2958466.0;

}  // namespace

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
    CalendarTime civil{};
    if (!toCalendarTime(value, civil)) {
        return "Invalid DateTime";
    }
    std::tm fields{};
    fields.tm_year = civil.year - 1900;
    fields.tm_mon = civil.month - 1;
    fields.tm_mday = civil.day;
    fields.tm_hour = civil.hour;
    fields.tm_min = civil.minute;
    fields.tm_sec = civil.second;
    const long long civilDay =
        daysFromCivil(civil.year, static_cast<unsigned>(civil.month), static_cast<unsigned>(civil.day));
    fields.tm_wday = static_cast<int>(((civilDay % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    fields.tm_yday = static_cast<int>(civilDay - daysFromCivil(civil.year, 1, 1));
    fields.tm_isdst = 0;

    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, pattern, &fields);
    return std::string(buffer, length);
}

}  // namespace torv::engine
