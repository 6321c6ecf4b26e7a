// A contest log of either format, recognised by its content, read into
// contacts with every problem located.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/cabrillo_reader.h"
#include "logfile/log_contact.h"

namespace torv::logfile {

enum class LogFormat { kAdif, kCabrillo };

// The name of a format for messages: "ADIF", "Cabrillo".
const char* formatName(LogFormat format);

struct LogFile {
    LogFormat format = LogFormat::kAdif;
    // The station whose log it is: the Cabrillo CALLSIGN, or the
    // STATION_CALLSIGN (else OPERATOR) of the first ADIF record; "" when none.
    std::string stationCall;
    // The names the log gives its contest, as written (blanks around them
    // dropped): the Cabrillo CONTEST, or each distinct CONTEST_ID of the
    // ADIF records in the order first met; empty ones are not names.
    std::vector<std::string> contestNames;
    std::vector<LogContact> contacts;  // the readable records, in file order
    // The records skipped, in file order (an ADIF record without any field
    // is no record: it is only counted in a warning).
    std::vector<UnreadableRecord> unreadable;
    LogProblems problems;                     // skipped records and warnings
    std::vector<CabrilloTag> cabrilloHeader;  // the Cabrillo header; empty for ADIF
};

// A log that cannot be read at all; what() says why (without the file name).
class LogFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The format of a log (UTF-8 or 8-bit text): Cabrillo when its first line
// that is not blank is START-OF-LOG: (any case), or when it holds no <EOR>
// but a QSO: line; ADIF when it holds <EOR> or <EOH>, or starts with a field
// (<NAME:LENGTH>). Throws LogFileError "empty" for a file of blanks alone,
// one naming ADX, the XML form of ADIF, which is not read, and "not a
// contest log (neither ADIF nor Cabrillo)" for anything else.
LogFormat detectLogFormat(std::string_view text);

// True for a text that starts with the byte-order mark of UTF-16, little
// (FF FE) or big endian (FE FF).
bool isUtf16(std::string_view bytes);

// The text of a log file in UTF-8: UTF-16 (with its mark) decoded, a code
// unit that is no character (a lone surrogate, a last odd byte) made U+FFFD;
// anything else, UTF-8 or an 8-bit code page, returned as it is.
std::string decodedLogText(std::string bytes);

// Reads a log of either format from the file's bytes (decodedLogText
// first). A record that cannot be read is skipped and reported; throws
// LogFileError only when nothing of the file can be used (not a log, ADX,
// an ADIF header text without <EOH>).
LogFile readLog(std::string_view bytes);

// The whole file as bytes; throws LogFileError naming the file and the
// system's reason when it cannot be read (a link to nothing is named so).
std::string readLogBytes(const std::string& path);

}  // namespace torv::logfile
