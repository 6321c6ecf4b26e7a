#include "command_support.h"

#include <CLI/CLI.hpp>

#include <algorithm>
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

CLI::Validator takes(const std::string& expected, const std::function<bool(const std::string&)>& accepts,
                     const std::string& name) {
    return CLI::Validator(
        [expected, accepts](std::string& value) { return accepts(value) ? std::string() : "takes " + expected; }, name);
}

CLI::Validator takesWholeNumber(const std::string& expected, int least, int most, const std::string& name) {
    return takes(
        expected,
        [least, most](const std::string& value) {
            constexpr size_t kDigits = 9;
            if (value.empty() || value.size() > kDigits || value.find_first_not_of("0123456789") != std::string::npos) {
                return false;
            }
            const int number = std::stoi(value);
            return number >= least && number <= most;
        },
        name);
}

CLI::Validator takesDate(const std::string& option) {
    return takes(
        "a date, YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), e.g. " + option + " 2026-03-14T12:00",
        [](const std::string& text) {
            double date = 0;
            return parseDateTimeText(text, date);
        },
        "DATE");
}

std::string commandNames(const CLI::App& app) {
    const std::vector<const CLI::App*> commands = app.get_subcommands([](const CLI::App*) { return true; });
    std::string names;
    for (size_t i = 0; i < commands.size(); ++i) {
        names += (i == 0 ? "" : i + 1 == commands.size() ? " and " : ", ") + commands[i]->get_name();
    }
    return names;
}

std::string usageErrorText(const CLI::Error& error, const std::string& command, const std::string& commands) {
    std::string message = error.what();
    bool helpTellsMore = true;
    // (The error's name is not its kind: a subcommand's extras are named by it.)
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
        // "--window: takes ..." reads "--window takes ...".
        if (const size_t takes = message.find(": takes "); takes != std::string::npos && message[0] == '-') {
            message.erase(takes, 1);
        }
        helpTellsMore = false;
    } else if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        // "The following argument was not expected: --colour x.adi"
        const size_t colon = message.find(": ");
        const std::string extras = colon == std::string::npos ? message : message.substr(colon + 2);
        const std::string first = extras.substr(0, extras.find(' '));
        message = first.size() > 1 && first[0] == '-' ? command + " has no option " + first
                                                      : command + " takes no more arguments: " + extras;
    } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        // "--window: 1 required INT:... missing"
        message = message.substr(0, message.find(':')) + " needs a value";
    } else if (message == "A subcommand is required") {
        message = "a command is needed: " + commands;
    }
    std::string text = "torv: " + message + kLineEnd;
    return helpTellsMore ? text + "torv: " + command + " --help tells more" + kLineEnd : text;
}

std::string exitCodesFooter(std::initializer_list<ExitCodeMeaning> codes) {
    constexpr size_t kWidth = 100;
    constexpr const char* kIndent = "  ";
    const std::string more(7, ' ');  // deeper than an entry: its text goes on
    std::string footer = "Exit codes:\n";
    for (const ExitCodeMeaning& code : codes) {
        std::string line = kIndent + std::string(code.code);
        line.resize(more.size(), ' ');
        std::string word;
        const std::string meaning = std::string(code.meaning) + " ";
        bool first = true;
        for (const char c : meaning) {
            if (c != ' ') {
                word += c;
                continue;
            }
            if (!first && line.size() + 1 + word.size() > kWidth) {
                footer += line + "\n";
                line = more + word;
            } else {
                line += (first ? "" : " ") + word;
            }
            first = false;
            word.clear();
        }
        footer += line + "\n";
    }
    footer.pop_back();  // the help adds the last line end
    return footer;
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
    const auto allowed = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
    };
    if (text.empty() || !std::all_of(text.begin(), text.end(), allowed)) {
        return "takes a call of letters, digits and '/', e.g. --call PY2ZZ";
    }
    return std::string();
}

}  // namespace torv::cli
