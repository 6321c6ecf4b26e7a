// What the subcommands share: messages on standard error, and the dates
// their options take.
#pragma once

#include <functional>
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

// For the options' validator: "" for a date, else what is wrong.
std::string checkDate(const std::string& text);

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
// (letters, digits and '/'), else what is wrong.
std::string trimmedCall(std::string& text);

}  // namespace torv::cli
