// From an ADIF record to the contact a host would pass, and the small
// conversions the log readers and the simulator share (frequency, band,
// country prefix).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "logfile/adif.h"
#include "logfile/log_contact.h"

namespace torv::logfile {

// A field value the host could not take, as a value; what() names the
// field and value, e.g. "FREQ \"7,025\" is not a frequency in MHz".
class FieldError : public std::runtime_error {
public:
    explicit FieldError(ReadFault fault) : std::runtime_error(readFaultText(fault)), fault_(std::move(fault)) {}
    const ReadFault& fault() const { return fault_; }

private:
    ReadFault fault_;
};

// The contact the host would pass for one record:
//   call            CALL (required, not empty)
//   oleDate         QSO_DATE (YYYYMMDD) and TIME_ON (HHMM or HHMMSS), both required
//   frequency       FREQ in MHz, in hertz rounded to the nearest; 0 without FREQ
//   band            BAND in lower case ("40m"); without BAND the band of FREQ
//   mode            "SSB" for MODE SSB, USB or LSB (whatever the SUBMODE) and
//                   for SUBMODE LSB or USB; otherwise MODE in upper case
//   rstSent/Rcvd    RST_SENT, RST_RCVD as written
//   exchangeSent    STX_STRING as written, else MY_STATE
//   exchangeRcvd    SRX_STRING as written, else STATE
//   ownCall         STATION_CALLSIGN, else OPERATOR, else defaultOwnCall
//   prefix          from DXCC 108/56/253/273, else from the call (callPrefix)
//   line, record    the record's
// Fields it does not name are ignored. Throws FieldError. When warnings is
// given, it receives what is odd but usable: a BAND that disagrees with FREQ
// (BAND is kept), a record with neither BAND nor a FREQ in a band.
LogContact contactFromRecord(const AdifRecord& record, const std::string& defaultOwnCall,
                             std::vector<std::string>* warnings = nullptr);

// Parses a whole ADIF text and maps every record, so that a bad record stops
// everything before any contact is used. Throws AdifError naming the line
// and the record.
std::vector<LogContact> contactsFromAdif(std::string_view text, const std::string& defaultOwnCall);

// A decimal number of MHz ("7.025", "14.0259999") in hertz, rounded to the
// nearest (a half rounds up). The decimal text is read digit by digit, never
// through a double, so no binary rounding creeps in. Surrounding blanks are
// allowed. False for anything else, or above 4294.967295 MHz.
bool parseFrequencyMHz(std::string_view text, uint32_t& hertz);

// The same for a decimal number of kHz ("7025", "14025.5"); false above
// 4294967.295 kHz.
bool parseFrequencyKHz(std::string_view text, uint32_t& hertz);

// The OLE Automation date of QSO_DATE "YYYYMMDD" (years 1900 to 9999) and
// TIME_ON "HHMM" or "HHMMSS". False for anything else or an impossible date
// or time (30 February, 24:00).
bool parseAdifDateTime(std::string_view date, std::string_view time, double& oleDate);

// The amateur band holding the frequency, as the host writes it ("40m"), or ""
// when it falls in none of the bands from 160 m to 70 cm.
std::string bandOfFrequency(uint32_t hertz);

// The lower edge of an amateur band named as the host writes it ("40m":
// 7 000 000), in hertz; 0 for a name of no band.
uint32_t lowerEdgeOfBand(std::string_view band);

// The country prefix the host would give a call:
//   - Brazil, the blocks PP-PY and ZV-ZZ followed by a digit: "PY", or
//     "PY0F", "PY0S", "PY0T" for calls with 0F, 0S, 0T after the two letters;
//   - any other call: its letters and digits up to its last digit, trailing
//     digits aside ("DL1ABC" -> "DL1", "K1ABC" -> "K1", "9A1AA" -> "9A1"),
//     or the whole call when it holds no digit.
// Calls with '/': trailing operating marks (P, M, MM, AM, A, B, QRP, QRPP)
// are dropped ("PY2ZZ/P" -> "PY"); a trailing single digit replaces the call
// area ("K1ABC/4" -> "K4"); of two remaining parts the shorter one (the
// first on a tie) says where the station works from ("DL/PY2ZZ" -> "DL",
// "PY2ZZ/PY0F" -> "PY0F"). Letters of any case; "" gives "".
std::string callPrefix(std::string_view call);

// The prefix of a DXCC entity number the host treats specially: 108 "PY",
// 56 "PY0F", 253 "PY0S", 273 "PY0T"; "" for any other number.
std::string prefixOfDxcc(int entity);

}  // namespace torv::logfile
