// What the subcommands share: messages on standard error, and the dates
// their options take.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>

#include "crosscheck/crosscheck.h"
#include "engine/date_time.h"

namespace torv::cli {

// Writes "torv: MESSAGE" and the platform's line end to standard error,
// after whatever standard output holds.
void tell(const std::string& message);

// The date of an option ("YYYY-MM-DD" or "YYYY-MM-DDTHH:MM", UTC); none
// for an empty or unreadable text.
std::optional<torv::abi::DateTimeArg> optionalDate(const std::string& text);

// An option's validator: a value `accepts` refuses is told as "OPTION
// takes EXPECTED" (usageErrorText words it so), and EXPECTED says what is
// expected with an example ("whole minutes from 0 to 1440, e.g. --window
// 10"). `name` is the value's name in the help.
CLI::Validator takes(const std::string& expected, const std::function<bool(const std::string&)>& accepts,
                     const std::string& name);

// takes() for whole numbers from least to most, and for dates of the
// option (an example: "e.g. --start 2026-03-14").
CLI::Validator takesWholeNumber(const std::string& expected, int least, int most, const std::string& name);
CLI::Validator takesDate(const std::string& option);

// The application's commands in words: "score and check", "score, check
// and categories".
std::string commandNames(const CLI::App& app);

// A usage error as torv tells it, every line beginning "torv: ", with the
// platform's line ends: what is wrong, and for a word torv does not know
// or a missing one, where the help is (`command` is "torv" or "torv
// check"), the commands named as commandNames() names them.
std::string usageErrorText(const CLI::Error& error, const std::string& command, const std::string& commands);

// An exit code and when a command gives it, as the README says.
struct ExitCodeMeaning {
    const char* code;
    const char* meaning;
};

// The help's footer listing the exit codes ("Exit codes:", then an entry
// a code), its lines within about 100 columns.
std::string exitCodesFooter(std::initializer_list<ExitCodeMeaning> codes);

// The contest period of --start and --end (either may be empty), in minutes
// since 1970, both ends included: a date alone as the end lasts to the end
// of its day. An end before the start is a usage error (CLI::ValidationError).
torv::crosscheck::Period contestPeriod(const std::string& start, const std::string& end);

// An input problem: the message is printed after "torv: " and the exit
// code is 1.
class InputProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs a subcommand's work: its exit code, or 1 with the message told when
// it throws.
int runCommand(const std::function<int()>& work);

// For --call's transform: the call trimmed of blanks; "" when it is a call
// (letters, digits and '/'), else what --call takes (see takes()).
std::string trimmedCall(std::string& text);

}  // namespace torv::cli
