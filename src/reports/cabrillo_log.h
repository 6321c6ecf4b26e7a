// The report object: the Cabrillo header fields kept for the life of the
// library.
#pragma once

#include <string>

class CCabrilloLog {
public:
    // Lets the operator confirm the Cabrillo header before an export, and
    // returns true when it was confirmed. Sets the call sign and the file
    // base name from the contestant's call sign; until the header dialog is
    // wired in, the header counts as confirmed unchanged.
    bool EditHeader(const std::string& contestantCall);

    std::string callsign;
    std::string fileBaseName;
};

// The Cabrillo file's base name for a call sign: every "/" and "\" made "_",
// white space trimmed at both ends, "TLKC" when nothing is left.
std::string cabrilloFileBaseName(const std::string& call);
