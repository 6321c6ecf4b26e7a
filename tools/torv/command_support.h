// What the subcommands share: messages on standard error, and the dates
// their options take.
#pragma once

#include <optional>
#include <string>

#include "engine/date_time.h"

// Writes "torv: MESSAGE" and the platform's line end to standard error,
// after whatever standard output holds.
void tell(const std::string& message);

// The date of an option ("YYYY-MM-DD" or "YYYY-MM-DDTHH:MM", UTC); none
// for an empty or unreadable text.
std::optional<DateTimeArg> optionalDate(const std::string& text);

// For the options' validator: "" for a date, else what is wrong.
std::string checkDate(const std::string& text);
