// A contest log of either format, recognised by its content, read into
// contacts with every problem located.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/cabrillo_reader.h"
#include "logfile/log_contact.h"

enum class LogFormat { kAdif, kCabrillo };

// The name of a format for messages: "ADIF", "Cabrillo".
const char* formatName(LogFormat format);

struct LogFile {
    LogFormat format = LogFormat::kAdif;
    // The station whose log it is: the Cabrillo CALLSIGN, or the
    // STATION_CALLSIGN (else OPERATOR) of the first ADIF record; "" when none.
    std::string stationCall;
    std::vector<LogContact> contacts;         // the readable records, in file order
    std::vector<LogProblem> problems;         // skipped records and warnings, in file order
    std::vector<CabrilloTag> cabrilloHeader;  // the Cabrillo header; empty for ADIF
};

// A log that cannot be read at all; what() says why (without the file name).
class LogFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The format of a log: Cabrillo when its first line that is not blank is
// START-OF-LOG: (any case), or when it holds no <EOR> but a QSO: line; else
// ADIF. Throws LogFileError for ADX, the XML form of ADIF, which is not read.
LogFormat detectLogFormat(std::string_view text);

// Reads a log of either format. A record that cannot be read is skipped and
// reported; throws LogFileError only when nothing of the file can be used
// (ADX, an ADIF header text without <EOH>).
LogFile readLog(std::string_view text);

// The whole file as bytes; throws LogFileError naming the file and the
// system's reason when it cannot be read.
std::string readLogBytes(const std::string& path);
