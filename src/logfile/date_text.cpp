#include "logfile/date_text.h"

#include "calendar/calendar.h"
#include "logfile/text.h"

namespace torv::logfile {

using calendar::isValidDateTime;
using calendar::oleDateFromCalendar;

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
    oleDate = oleDateFromCalendar(y, m, d, hour, minute, second);
    return true;
}

}  // namespace torv::logfile
