#include "command_support.h"

#include <cstdio>

#include "console.h"
#include "logfile/date_text.h"

void tell(const std::string& message) {
    std::fflush(stdout);
    writeAll(stderr, "torv: " + message + kLineEnd);
}

std::optional<DateTimeArg> optionalDate(const std::string& text) {
    double date = 0;
    if (text.empty() || !parseDateTimeText(text, date)) {
        return std::nullopt;
    }
    return DateTimeArg{date, kDateTimeValid};
}

std::string checkDate(const std::string& text) {
    double date = 0;
    return parseDateTimeText(text, date) ? std::string() : "not a date: YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC)";
}
