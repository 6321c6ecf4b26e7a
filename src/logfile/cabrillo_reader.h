// Reading Cabrillo 3.0 logs: the header tags and the QSO lines of the
// contest's layout, as the plug-in writes them and as other loggers do.
//
//   QSO: freq mo date       time call          rst exch   call          rst exch
//   QSO:  7025 CW 2015-09-12 1214 PY2ZZ         599 SP     PY1AA         599 RJ
//
// The frequency is in kHz (or a band designator above 30 MHz: 50, 70, 144,
// 222, 432, 902; 0 for none), the mode one of CW, PH, FM, RY, DG, the date
// YYYY-MM-DD and the time HHMM; an eleventh field, the transmitter of
// multi-transmitter logs (a short token: 0, 1, 2, ...), is kept. Fields are
// separated by any blanks, non-breaking spaces included (text.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/log_contact.h"

namespace torv::logfile {

struct CabrilloTag {
    std::string name;   // upper case, e.g. "CALLSIGN"
    std::string value;  // blanks at both ends removed
    size_t line = 0;
};

// The value of the first tag of the header with that (upper-case) name,
// nullptr when the header has none.
const std::string* findCabrilloTag(const std::vector<CabrilloTag>& header, std::string_view upperCaseName);

struct CabrilloLog {
    // The header tags in file order, unknown ones too. Repeated OPERATORS
    // lines are joined into the first with a blank, repeated ADDRESS and
    // SOAPBOX lines with a line feed; other repeated tags stay apart.
    std::vector<CabrilloTag> header;
    std::vector<LogContact> contacts;          // the readable QSO lines, in file order
    std::vector<UnreadableRecord> unreadable;  // the QSO lines skipped, in file order
    LogProblems problems;
    size_t qsoLines = 0;         // QSO lines, read or not
    size_t ignoredQsoLines = 0;  // X-QSO lines, which never count

    // findCabrilloTag over this header.
    const std::string* tag(std::string_view upperCaseName) const { return findCabrilloTag(header, upperCaseName); }
};

// Reads a whole log held in memory. Tags in any case and any order, blanks
// allowed before the colon; LF or CR LF line ends; blank lines and blanks at
// line ends ignored; text after END-OF-LOG: is ignored with a warning. The
// Cabrillo 2.0 CATEGORY: line fills the 3.0 category tags the header lacks
// (cabrillo_category.h).
//
// A QSO line one field short is read by the log's columns when it has them
// (cabrillo_columns.h). A QSO line whose fields do not fit the layout (the
// frequency, the mode, the date or the time) is skipped and reported with
// its line; lines with another number of fields are reported together, one
// message per number ("3 of 40 QSO lines have 12 fields; ..."). A line that
// is neither a tag nor a QSO line is reported and ignored. Never throws for
// what the text holds.
CabrilloLog readCabrillo(std::string_view text);

// The contact of the fields after "QSO:" (blank-separated). Throws
// FieldError (adif_contact.h) saying what does not fit; warnings receives
// what is odd but usable (a frequency in no amateur band, none at all).
LogContact contactFromQsoFields(std::string_view fields, std::vector<std::string>* warnings = nullptr);

// The same for fields already separated; an empty sent or received report
// or exchange is allowed (a line read by its columns).
LogContact contactFromQsoFields(const std::vector<std::string_view>& fields,
                                std::vector<std::string>* warnings = nullptr);

}  // namespace torv::logfile
