// Dates and times of log records: validity, and the OLE Automation date a
// host passes. The log readers keep their own copy of this arithmetic rather
// than the engine's, so that a mistake on one side shows on the other.
#pragma once

#include <string_view>

// True for a real date of the years 1900 to 9999 and a time of day from
// 00:00:00 to 23:59:59.
bool isValidDateTime(int year, int month, int day, int hour, int minute, int second);

// Days since 30 December 1899, the time of day as the fraction. For dates
// from 1900 on (checked with isValidDateTime first).
double oleDateOf(int year, int month, int day, int hour, int minute, int second);

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM" or "YYYY-MM-DDTHH:MM:SS" as an OLE
// Automation date; false for anything else or an impossible date or time.
bool parseDateTimeText(std::string_view text, double& oleDate);
