#include "logfile/calendar.h"

#include "logfile/text.h"

namespace {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

}  // namespace

bool isValidDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) {
        return false;
    }
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

double oleDateOf(int year, int month, int day, int hour, int minute, int second) {
    // Days from 1 January 1900 by the Gregorian leap-year rule.
    const int yearsBefore = year - 1;
    const long days1900 = 365L * 1899 + 1899 / 4 - 1899 / 100 + 1899 / 400;  // days before 1 January 1900
    long days = 365L * yearsBefore + yearsBefore / 4 - yearsBefore / 100 + yearsBefore / 400 - days1900;
    for (int m = 1; m < month; ++m) {
        days += daysInMonth(year, m);
    }
    days += day - 1;
    // 1 January 1900 is OLE day 2.
    return static_cast<double>(days + 2) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

bool parseDateTimeText(std::string_view text, double& oleDate) {
    if (text.size() != 10 && text.size() != 16 && text.size() != 19) {
        return false;
    }
    if (text[4] != '-' || text[7] != '-') {
        return false;
    }
    const std::string_view year = text.substr(0, 4), month = text.substr(5, 2), day = text.substr(8, 2);
    if (!allDigits(year) || !allDigits(month) || !allDigits(day)) {
        return false;
    }
    int hour = 0, minute = 0, second = 0;
    if (text.size() >= 16) {
        if (text[10] != 'T' || text[13] != ':' || !allDigits(text.substr(11, 2)) || !allDigits(text.substr(14, 2))) {
            return false;
        }
        hour = digitsValue(text.substr(11, 2));
        minute = digitsValue(text.substr(14, 2));
    }
    if (text.size() == 19) {
        if (text[16] != ':' || !allDigits(text.substr(17, 2))) {
            return false;
        }
        second = digitsValue(text.substr(17, 2));
    }
    const int y = digitsValue(year), m = digitsValue(month), d = digitsValue(day);
    if (!isValidDateTime(y, m, d, hour, minute, second)) {
        return false;
    }
    oleDate = oleDateOf(y, m, d, hour, minute, second);
    return true;
}
