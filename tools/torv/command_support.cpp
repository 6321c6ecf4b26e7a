#include "command_support.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "calendar/minutes.h"
#include "console.h"
#include "logfile/date_text.h"

namespace torv::cli {

using torv::abi::DateTimeArg;
using torv::abi::kDateTimeValid;
using torv::calendar::minuteOfOleDate;
using torv::logfile::parseDateTimeText;

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

crosscheck::Period contestPeriod(const std::string& start, const std::string& end) {
    crosscheck::Period period;
    if (const std::optional<DateTimeArg> date = optionalDate(start)) {
        period.start = minuteOfOleDate(date->date);
    }
    if (const std::optional<DateTimeArg> date = optionalDate(end)) {
        constexpr size_t kDateAlone = 10;  // "YYYY-MM-DD"
        period.end = minuteOfOleDate(date->date) + (end.size() == kDateAlone ? 1439 : 0);
    }
    if (period.start && period.end && *period.end < *period.start) {
        throw CLI::ValidationError("--end", "the contest ends (" + end + ") before it starts (" + start + ")");
    }
    return period;
}

int runCommand(const std::function<int()>& work) {
    try {
        return work();
    } catch (const CLI::Error&) {
        throw;  // a usage error, found once the work began
    } catch (const std::exception& error) {
        tell(error.what());
        return 1;
    }
}

std::string trimmedCall(std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    if (text.empty()) {
        return "a call is letters, digits and '/', not nothing";
    }
    for (const char c : text) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
        if (!allowed) {
            return "a call is letters, digits and '/': \"" + text + "\"";
        }
    }
    return std::string();
}

}  // namespace torv::cli
